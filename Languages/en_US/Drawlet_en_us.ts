<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QWidget</name>
    <message>
        <source>narrow</source>
        <translation>Collapse</translation>
    </message>
    <message>
        <source>enlarge</source>
        <translation>Expand</translation>
    </message>
    <message>
        <source>move</source>
        <translation>Move</translation>
    </message>
</context>
<context>
    <name>drawlet::application::DrawletApp</name>
    <message>
        <source>collapse</source>
        <translation>Collapse</translation>
    </message>
    <message>
        <source>mouse_mode</source>
        <translation>Mouse mode</translation>
    </message>
    <message>
        <source>whiteboard_mode</source>
        <translation>Whiteboard</translation>
    </message>
    <message>
        <source>insert_picture</source>
        <translation>Insert picture</translation>
    </message>
    <message>
        <source>undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>redo</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>capture</source>
        <translation>Screen capture</translation>
    </message>
    <message>
        <source>select</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>freehand</source>
        <translation>Pen</translation>
    </message>
    <message>
        <source>highlighter</source>
        <translation>Highlighter</translation>
    </message>
    <message>
        <source>line</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>shape</source>
        <translation>Shapes</translation>
    </message>
    <message>
        <source>text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>erase</source>
        <translation>Eraser</translation>
    </message>
    <message>
        <source>linestyle</source>
        <translation>Line width and style</translation>
    </message>
    <message>
        <source>color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>clearall</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>back</source>
        <translation>Back to Lumidesk</translation>
    </message>
    <message>
        <source>DrawletApp - Annotation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Annotation Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Text Style</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Shapes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Colors</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Line Style</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Capture</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>drawlet::ui::AbstractCaptureScreenAction</name>
    <message>
        <source>Can&apos;t save file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DrawletApp - Screen Capture</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>drawlet::ui::AnnotationEditor</name>
    <message>
        <source>Select Images</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>drawlet::ui::AnnotationToolbar</name>
    <message>
        <source>expand</source>
        <translation>Expand</translation>
    </message>
    <message>
        <source>collapse</source>
        <translation>Collapse</translation>
    </message>
</context>
<context>
    <name>drawlet::ui::CaptureAction</name>
    <message>
        <source>FullScreen</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>Windows</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>AreaScreen</source>
        <translation>Area</translation>
    </message>
</context>
<context>
    <name>drawlet::ui::ColorStyleAction</name>
    <message>
        <source>red</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>yellow</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>green</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>black</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>white</source>
        <translation>White</translation>
    </message>
    <message>
        <source>more-colors</source>
        <translation>More colors</translation>
    </message>
</context>
<context>
    <name>drawlet::ui::ConfigManager</name>
    <message>
        <source>small</source>
        <translation>Small</translation>
    </message>
    <message>
        <source>medium</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>large</source>
        <translation>Large</translation>
    </message>
</context>
<context>
    <name>drawlet::ui::EraseTool</name>
    <message>
        <source>Undo Eraser</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>drawlet::ui::LineWidthAndStyleAction</name>
    <message>
        <source>solid</source>
        <translation>Solid line</translation>
    </message>
    <message>
        <source>dash</source>
        <translation>Dashed line</translation>
    </message>
    <message>
        <source>arrow1</source>
        <translation>Arrow</translation>
    </message>
    <message>
        <source>arrow2</source>
        <translation>Double arrow</translation>
    </message>
</context>
<context>
    <name>drawlet::ui::ShapeSelWidget</name>
    <message>
        <source>Rectangle Outline</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rectangle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Circle Outline</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Circle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Triangle Outline</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Triangle</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>drawlet::ui::TextStyleWidget</name>
    <message>
        <source>bold</source>
        <translation>Bold</translation>
    </message>
    <message>
        <source>italic</source>
        <translation>Italic</translation>
    </message>
    <message>
        <source>underline</source>
        <translation>Underline</translation>
    </message>
</context>
</TS>
