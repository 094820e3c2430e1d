#ifndef RECORDFINISH_H
#define RECORDFINISH_H

#include <QString>

// What happens to a recording's file once its writing has ended: any thread,
// one file at a time.
namespace RecordFinish
{

// Copies the stopped, fragmented recording into a plain MP4 beside it (duration
// in the header, index at the front) and puts that in its place. Any failure
// (a damaged fragment, no room for the copy) leaves the fragmented file, which
// plays, and logs why.
bool rewritePlain(const QString& strPath);

// Cuts a fragmented MP4 whose writing failed back to its last whole fragment.
// The bytes kept; 0 when not one fragment is whole, -1 when the file cannot be
// read or cut.
qint64 cutToWholeFragment(const QString& strPath);

} // namespace RecordFinish

#endif // RECORDFINISH_H
