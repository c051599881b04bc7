<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>DeskpadWidget</name>
    <message>
        <source>3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deskpad</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>00:00:00</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0 kb/s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>│</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording is stopped because the video has reached the maximum time (6 hours).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Microphone source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Streaming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop streaming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Collapse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Expand</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Deskpad</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LiveWarningDialog</name>
    <message>
        <source>Lumidesk</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your Internet connection is slow, so the stream may not run smoothly.
Please check your Internet connection or contact your IT guy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Stream Warning</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NotificationDialog</name>
    <message>
        <source>Stream Notification</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You can only stream content on one device at a time. Please stop your original streaming content.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Notice</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WarningDialog</name>
    <message>
        <source>Tivlo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try the following:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reduce the resolution</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>2. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reduce the frame rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please close other applications running in the background</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Currently your computer cannot render the  selected frame rate smoothly.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Warning</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
