#ifndef VELHOSTSCRIPTCALL_H
#define VELHOSTSCRIPTCALL_H

#include <QJSValue>

#include <functional>

class QJSEngine;

// Entering the page's script engine, and allocation failure.
//
// Qt's script engine is built without exception support: a std::bad_alloc
// thrown inside it (a string grown past what Qt can allocate) skips the
// engine's own bookkeeping, and the engine must not run again. So the
// outermost call into the engine catches it, marks the engine broken, and
// calls the handler (the page ends with an error, the host does not abort);
// nested calls let it go up. A bad_alloc in the host's own natives, with no
// engine frame in between, is turned into an ordinary script error instead.
// GUI thread only.
namespace VelHostScriptCall
{

void setOutOfMemoryHandler(std::function<void()> fnHandler);
bool isEngineBroken();
// fn enters the engine; undefined without calling it once the engine broke.
QJSValue enter(const std::function<QJSValue()>& fn);
// For natives: runs fn; a bad_alloc becomes a RangeError thrown in pEngine,
// unless the engine broke underneath (then it goes on up). False after one.
bool native(QJSEngine* pEngine, const std::function<void()>& fn);

} // namespace VelHostScriptCall

#endif // VELHOSTSCRIPTCALL_H
