// Nested QVariantMaps as nested settings groups, relative to the group the
// caller has open. The store is neither cleared nor synced here: its status
// is the caller's to check.

#include "Basics/basics.h"

void BasicsPersistence::writeSettingsGroup(QSettings &settings, const QVariantMap &map)
{
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (it.value().userType() == QMetaType::QVariantMap) {
            settings.beginGroup(it.key());
            writeSettingsGroup(settings, *static_cast<const QVariantMap *>(it.value().constData()));
            settings.endGroup();
        } else {
            settings.setValue(it.key(), it.value());
        }
    }
}

QVariantMap BasicsPersistence::readSettingsGroup(QSettings &settings)
{
    QVariantMap map;
    const QStringList keys = settings.childKeys();
    for (const QString &key : keys)
        map.insert(key, settings.value(key, QVariant()));
    // A group replaces a key of the same name.
    const QStringList groups = settings.childGroups();
    for (const QString &group : groups) {
        settings.beginGroup(group);
        map.insert(group, readSettingsGroup(settings));
        settings.endGroup();
    }
    return map;
}
