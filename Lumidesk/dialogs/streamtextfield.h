#pragma once

class QTextEdit;

// The one-line text fields of the stream address and key: plain text only, never wrapped, no scroll
// bars, at most MaxLength characters.
class StreamTextField
{
public:
    static constexpr int MaxLength = 256;

    static void setUp(QTextEdit *edit);

    // Runs on every change of the field. With joinLines, line feeds and tabs are removed first (the
    // text is put back, which moves the cursor to the start). A text then longer than MaxLength loses
    // the excess just before the cursor, so an overflowing paste loses its tail and the text around
    // the insertion survives; with too little before the cursor it is cut to its first MaxLength.
    static void limit(QTextEdit *edit, bool joinLines);

private:
    StreamTextField() = delete;
};
