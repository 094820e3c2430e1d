#ifndef VELLIVEROOMLIST_H
#define VELLIVEROOMLIST_H

#include <QMap>
#include <QString>

// The rooms of an "initLiveRoom" answer, room id to room name. strTarget is the
// answer's target as the control hands it on: the page's JSON array wrapped in
// braces ({[{"id":...,"name":...},...]}). An array of objects that all carry
// "id" and "name" is read as JSON, so that names holding "id" or escaped
// quotes keep their own ids; any other text goes through the plain scan for
// "id" and "name" that pages without JSON rely on.
QMap<QString, QString> velLiveRoomsFromTarget(const QString& strTarget);

// The plain scan alone: the text between the first two and the last two
// characters, searched for "id" and "name" with a cursor each.
QMap<QString, QString> velLiveRoomsByScan(const QString& strTarget);

#endif // VELLIVEROOMLIST_H
