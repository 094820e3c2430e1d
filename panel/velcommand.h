#ifndef VELCOMMAND_H
#define VELCOMMAND_H

#include <QMap>
#include <QString>

// The panel's command maps and their message text. The text looks like JSON but
// follows its own rules that pages rely on: nothing is escaped or trimmed, and a
// level holds at most one nested object (see parseCommand).
using CommandMap = QMap<QString, QString>;

// {"key":"value",...} in map order; {} for an empty map.
QString formatCommand(const CommandMap& map);

// Message text to map. The nested object of a level (its last {...} span) is
// kept as text under its key; call parseCommand again to read it. Never fails:
// text without "{" gives an empty map.
CommandMap parseCommand(QString strMessage);

// The outgoing text of a map: formatCommand, then the quotes around a nested
// object value are dropped ("target":"{...}" becomes "target":{...}).
QString outgoingCommandText(const CommandMap& map);

// The page sends the targets of "settingMutilScreen" and "initLiveRoom" as JSON
// arrays; this wraps the array in a nested text parseCommand can carry.
QString rewriteArrayTargets(QString strMessage);

#endif // VELCOMMAND_H
