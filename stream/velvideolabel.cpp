#include "velvideolabel.h"

VelVideoLabel::VelVideoLabel(QWidget* parent) : QLabel(parent) {}

VelVideoLabel::~VelVideoLabel() = default;

void VelVideoLabel::setState(int nState)
{
    m_nState = nState;
    update();
}
