#pragma once

#include <QList>
#include <QSet>
#include <QString>

namespace korvel {

// The host's lookup tables that frames and steps name by key.
enum class LookupKind { Priority, Category, TimeUnit, FormGroup, Campaign, Staff, RoleGroup, DocGroup, DocTemplate };

// Every kind, in a fixed order, and the table holding it ("SYSC_Priority", "Staff", ...).
const QList<LookupKind>& AllLookupKinds();
QString LookupTableName(LookupKind kind);
// The kind of a table name as LookupTableName gives it (letter case ignored); false when unknown.
bool LookupKindByName(const QString& table, LookupKind& kind);

// The keys of one lookup table as IdKey makes them (the database compares them as it compares
// IDs). Throws KorvelError when the table cannot be read.
QSet<QString> LookupKeys(LookupKind kind);

} // namespace korvel
