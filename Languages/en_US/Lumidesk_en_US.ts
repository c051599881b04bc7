<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AbstractCaptureScreenAction</name>
    <message>
        <source>Lumidesk - Snapshot</source>
        <translation type="unfinished"></translation>
    </message>
</context>
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
    <message>
        <source>The camera stopped sending pictures. Please check its connection.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording has stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination disk drive is full. Please free up sufficient space on the disk drive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The video file could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording is stopped because the video has reached the maximum time (6 hours).</source>
        <translation type="unfinished"></translation>
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
        <source>Connect server fail !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Live stream data format error !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Live stream fail !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture could not be taken.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mute</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - %1 Picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - %1 Keystone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - %1 Capture Mode</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CameraSettingDialog</name>
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
    <message>
        <source>Tivlo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The camera did not accept this output mode. Please choose another one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Camera Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>IpInformationWidget</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IP address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(type in these numbers into your app )</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wireless network card(s)</source>
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
    <name>LiveStreamSetting</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select Service</source>
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
        <source>Stream Url</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resolution</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1080p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>720p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>480p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>360p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LiveStreamSettingDialog</name>
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
        <source>Resolution</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1080p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>720p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>480p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>360p</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This computer is not set to proper screen resolution.&lt;br/&gt;&lt;br/&gt;Please, adjust your display to at least %1p.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This camera is not set to proper resolution.&lt;br/&gt;&lt;br/&gt;Please, click on camera setting &gt; video output mode &gt; adjust the camera resolution to at least %1p.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Stream Setting</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LiveWarningDialog</name>
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
    <message>
        <source>Lumidesk - Stream Warning</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Lumidesk</name>
    <message>
        <source>Tivlo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>narrow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>move</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>record desktop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>record</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>capture desktop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>capture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>streaming desktop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>streaming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>open file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>preview</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>other settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>drawlet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>select layout</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>enlarge</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is not enough memory to run record or live stream.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recording has stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination disk drive is full. Please free up sufficient space on the disk drive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The previous recording is still being saved. Please try again in a moment.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording could not be written to the disk drive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture of the desktop was lost.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The recording could not be started.</source>
        <translation type="unfinished"></translation>
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
        <source>Connect server fail !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Live stream data format error !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Live stream fail !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture could not be saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is a newer version of Lumidesk mobile app available. Ensure that you can use our new function successfully , please upgrade it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk</source>
        <translation type="unfinished">Lumidesk</translation>
    </message>
</context>
<context>
    <name>LiveSettings</name>
    <message>
        <source>Stream URL is empty. Please enter the stream URL of your service.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream Key is empty. Please enter the stream key of your service.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream Notification</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NavigationDialog</name>
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
    <message>
        <source>Lumidesk - Guide</source>
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
        <translation type="unfinished">OK</translation>
    </message>
    <message>
        <source>Lumidesk - Notice</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>OtherSettingDialog</name>
    <message>
        <source>Other Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>QR code</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language Setting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please make sure your computer and mobile are on the same Wi-fi network.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PipWidget</name>
    <message>
        <source>Desktop only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Desktop &amp; camera</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Desktop &amp; 2 cameras</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PIP mode</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select Layout Modes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Camera Layout</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>HQ Capture ...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - HQ Capture</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SwUpdateDialog</name>
    <message>
        <source>New software version is available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current software version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Want to update now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do not remind me this version in this week.</source>
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
        <source>Downloading... please wait</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fail to update!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing... please wait</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lumidesk - Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>re-update</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UpdateFailure</name>
    <message>
        <source>The connection to the update server was lost.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download was too slow.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update server did not provide the package.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The package is larger than allowed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The downloaded package is damaged: its checksum does not match.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot write to hard disk, please check your permission.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough free disk space for the package.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The package could not be installed.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UpgradeDialog</name>
    <message>
        <source>Dialog</source>
        <translation type="unfinished">Dialog</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sofware version number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update Check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Update / Firmware Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New software version is available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current software version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Want to update now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your firmwire is up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do not remind me this version in this week.</source>
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
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware version number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading... please wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading... please wait</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your software is up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New firmware version is available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current firmware version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Want to upgrade now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your firmware is up to date.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fail to upgrade!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fail to update!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>re-upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>re-update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination disk drive is full. Please free up sufficient space on the disk drive.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing... please wait</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update check could not be made.</source>
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
        <translation type="unfinished">OK</translation>
    </message>
    <message>
        <source>Lumidesk - Warning</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
