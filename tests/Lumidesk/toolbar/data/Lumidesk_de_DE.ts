<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<!-- A few texts of each window the toolbar re-translates, so a test can see the language arrive. -->
<context>
    <name>Lumidesk</name>
    <message>
        <source>record desktop</source>
        <translation>Desktop aufnehmen</translation>
    </message>
</context>
<context>
    <name>PipWidget</name>
    <message>
        <source>Desktop only</source>
        <translation>Nur Desktop</translation>
    </message>
    <message>
        <source>Lumidesk - Camera Layout</source>
        <translation>Lumidesk - Kameralayout</translation>
    </message>
</context>
<context>
    <name>CameraMainWidget</name>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Camera %1</source>
        <translation>Kamera %1</translation>
    </message>
    <message>
        <source>Lumidesk - %1 Picture</source>
        <translation>Lumidesk - %1 Bild</translation>
    </message>
    <message>
        <source>Lumidesk - %1 Keystone</source>
        <translation>Lumidesk - %1 Trapezkorrektur</translation>
    </message>
</context>
<context>
    <name>NotificationDialog</name>
    <message>
        <source>OK</source>
        <translation>Gut</translation>
    </message>
</context>
</TS>
