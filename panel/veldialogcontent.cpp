#include "veldialogcontent.h"

VelDialogContent::VelDialogContent(QWidget* parent) : QFrame(parent) {}

int VelDialogContent::checkAccept()
{
    return 1;
}

int VelDialogContent::checkReject()
{
    return 1;
}
