#include "camerasettingdialog.h"

int CameraSettingDialog::FromClientCmd(unsigned int id, QByteArray &payload)
{
    Q_UNUSED(id)
    Q_UNUSED(payload)
    return 0;
}
