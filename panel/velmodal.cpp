#include "velmodal.h"

#include <QDialog>
#include <QPointer>

bool velExecModal(QDialog* pDialog, const QObject* pCaller, int* pResult)
{
    const QPointer<const QObject> caller(pCaller);
    const int nResult = pDialog->exec();
    if (pResult)
        *pResult = nResult;
    return !caller.isNull();
}
