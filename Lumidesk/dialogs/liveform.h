#pragma once

#include "dialogs/livesettings.h"

class QCheckBox;
class QComboBox;
class QTextEdit;

// The controls of the live settings that the live-stream dialog and the live page share: the
// automatic-record box, the service and resolution boxes, and the one-line address and key fields
// (plain text only, never wrapped, no scroll bars, at most MaxLength characters).
class LiveForm
{
public:
    static constexpr int MaxLength = 256;

    // joinLines: line feeds and tabs typed or pasted into the fields are removed.
    LiveForm(QCheckBox *record, QComboBox *service, QTextEdit *url, QTextEdit *key, QComboBox *resolution,
             bool joinLines);

    void show(const LiveSettings::Values &values);
    // The values the controls show now.
    LiveSettings::Values read() const;
    // Fills the fields with a service's stored address and key; nothing for a service outside 0..3.
    void showStoredPair(int service);
    void limitUrl() { limit(m_url); }
    void limitKey() { limit(m_key); }

private:
    // Runs on every change of a field. Joined lines are put back, which moves the cursor to the start.
    // A text then longer than MaxLength loses the excess just before the cursor, so an overflowing
    // paste loses its tail and the text around the insertion survives; with too little before the
    // cursor it is cut to its first MaxLength.
    void limit(QTextEdit *edit);

    QCheckBox *m_record;
    QComboBox *m_service;
    QTextEdit *m_url;
    QTextEdit *m_key;
    QComboBox *m_resolution;
    bool m_joinLines;
};
