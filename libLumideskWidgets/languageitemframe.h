#ifndef LANGUAGEITEMFRAME_H
#define LANGUAGEITEMFRAME_H

#include <QFrame>

class QRadioButton;

namespace Ui {
class LanguageItemFrame;
}

// One row of the language list: the language's name and the radio button that chooses it.
class LanguageItemFrame : public QFrame
{
    Q_OBJECT

public:
    explicit LanguageItemFrame(const QString &name);
    ~LanguageItemFrame() override;

    QRadioButton *getRadioButton() const;

private:
    Ui::LanguageItemFrame *ui;
};

#endif // LANGUAGEITEMFRAME_H
