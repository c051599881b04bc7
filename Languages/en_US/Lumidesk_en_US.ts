<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CameraMainWidget</name>
    <message>
        <source>Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PIP swap</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Capture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keystone correction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HQ Capture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Capture mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording</source>
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
        <source>Microphone source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom in/out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>label</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>3</source>
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
        <source>The camera is in use by another program.Close any other program that may be using your camera.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usb bandwidth is not sufficient at the moment.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tivlo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;span style=&apos;font-size:14px;&apos;&gt;Please connect Qorv camera to pc.&lt;/span&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is not enough memory to run record or live stream.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CameraSettingDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished">Dialog</translation>
    </message>
    <message>
        <source>Camera Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Basic image setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video output mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Advanced image setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backlight compensation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Noise reduction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Power frequency</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Image orientation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ceiling</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Image rotation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Left</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sensor mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frame rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resolution</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>H264 output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Changing Video output mode request to re-start your equipment x80 1 automatically</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure to re-start your ZQ40?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reboot progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable both the ZQ40 built in microphone and ZQ40 Wireless microphone together.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click here to learn more about ZQ40 audio setting.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable ZQ40 HDMI audio output.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>N/A</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LanguageItemFrame</name>
    <message>
        <source>Frame</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>English</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LiveStreamSettingDialog</name>
    <message>
        <source>Streaming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>YouTube</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Live</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>USTREAM</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Others</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resolution</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1080P</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>720P</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>480P</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>360P</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Record while streaming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished">OK</translation>
    </message>
    <message>
        <source>Please enter a valid stream URL.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This resolution is higher than the camera&apos;s picture.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LiveWarningDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished">Dialog</translation>
    </message>
    <message>
        <source>Lumidesk</source>
        <translation type="unfinished">Lumidesk</translation>
    </message>
    <message>
        <source>Your Internet connection is slow, so the stream may not run smoothly.
Please check your Internet connection or contact your IT guy.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished">OK</translation>
    </message>
</context>
<context>
    <name>Lumidesk</name>
    <message>
        <source>Lumidesk</source>
        <translation>Lumidesk</translation>
    </message>
</context>
<context>
    <name>NavigationDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>You can reset your layout from below &quot;desktop toolbar&quot;</source>
        <translation>You can reset your layout from below &quot;desktop toolbar&quot;</translation>
    </message>
    <message>
        <source>You can use Qorv cameras with these three modes</source>
        <translation>You can use Qorv cameras with these three modes</translation>
    </message>
    <message>
        <source>With camera, you can...</source>
        <translation>With camera, you can...</translation>
    </message>
    <message>
        <source>Record &quot;camera&quot;</source>
        <translation>Record &quot;camera&quot;</translation>
    </message>
    <message>
        <source>Stream &quot;camera&quot;</source>
        <translation>Stream &quot;camera&quot;</translation>
    </message>
    <message>
        <source>Capture &quot;camera&quot;</source>
        <translation>Capture &quot;camera&quot;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Keep this guidance next time!</source>
        <translation>Keep this guidance next time!</translation>
    </message>
    <message>
        <source>Adjust &quot;desktop toolbar&quot; to suit your preferences</source>
        <translation>Adjust &quot;desktop toolbar&quot; to suit your preferences</translation>
    </message>
    <message>
        <source>Record &quot;desktop&quot;</source>
        <translation>Record &quot;desktop&quot;</translation>
    </message>
    <message>
        <source>Stream &quot;desktop&quot;</source>
        <translation>Stream &quot;desktop&quot;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;At the same time, you can use Tivlo with other materials, like PowerPoint...&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;At the same time, you can use Tivlo with other materials, like PowerPoint...&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>NotificationDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished">Dialog</translation>
    </message>
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
        <translation type="unfinished">OK</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished">Dialog</translation>
    </message>
    <message>
        <source>HQ Capture ...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WarningDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished">Dialog</translation>
    </message>
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
        <translation type="unfinished">OK</translation>
    </message>
</context>
</TS>
