#include "languageitemframe.h"

#include "ui_languageitemframe.h"

LanguageItemFrame::LanguageItemFrame(const QString &name)
    : QFrame(nullptr)
    , ui(new Ui::LanguageItemFrame)
{
    ui->setupUi(this);
    ui->label->setText(name);
}

LanguageItemFrame::~LanguageItemFrame()
{
    delete ui;
}

QRadioButton *LanguageItemFrame::getRadioButton() const
{
    return ui->radioButton;
}
