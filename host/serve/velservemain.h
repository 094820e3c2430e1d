#ifndef VELSERVEMAIN_H
#define VELSERVEMAIN_H

#include <QSize>
#include <QStringList>

// vel-host --serve: shows the controls pages in a browser create, in the
// host's frame, until the host is closed. Returns the exit code. With
// bPublishToken the run's token also goes to the user's token file
// (velPublishServeToken), removed again when the host ends.
int velServeMain(quint16 nPort, const QStringList& allowedOrigins, const QSize& frameSize,
                 bool bPublishToken = false);

#endif // VELSERVEMAIN_H
