#ifndef VELHOSTPATHS_H
#define VELHOSTPATHS_H

#include <QString>

// Where the host finds the files it reads besides the page: the demo folder
// (demo pages and the platform's answers, for host.include).
//
// An installed host looks only under its own prefix, found from the program's
// own folder (<prefix>/bin/../share/vel-controls/demo). A host run from the
// build tree reads the source tree's demo folder, as it always has. Needs a
// QCoreApplication.
QString velHostDemoDir();

// The same decision for a given program folder; for tests.
QString velHostDemoDirFor(const QString& strProgramDir);

#endif // VELHOSTPATHS_H
