<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
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
        <source>You can reset your layout from below "desktop toolbar"</source>
        <translation>You can reset your layout from below "desktop toolbar"</translation>
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
        <source>Record "camera"</source>
        <translation>Record "camera"</translation>
    </message>
    <message>
        <source>Stream "camera"</source>
        <translation>Stream "camera"</translation>
    </message>
    <message>
        <source>Capture "camera"</source>
        <translation>Capture "camera"</translation>
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
        <source>Adjust "desktop toolbar" to suit your preferences</source>
        <translation>Adjust "desktop toolbar" to suit your preferences</translation>
    </message>
    <message>
        <source>Record "desktop"</source>
        <translation>Record "desktop"</translation>
    </message>
    <message>
        <source>Stream "desktop"</source>
        <translation>Stream "desktop"</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;At the same time, you can use Tivlo with other materials, like PowerPoint...&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;At the same time, you can use Tivlo with other materials, like PowerPoint...&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
</TS>