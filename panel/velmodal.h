#ifndef VELMODAL_H
#define VELMODAL_H

class QDialog;
class QObject;

// Runs a modal dialog for a caller that may not outlive it: the page's calls
// and answers arrive inside exec(), and one of them can delete the control.
// Returns false when pCaller is gone afterwards (touch nothing of it then);
// *pResult gets exec()'s result.
bool velExecModal(QDialog* pDialog, const QObject* pCaller, int* pResult = nullptr);

#endif // VELMODAL_H
