#include "system/settingsstore.h"

#include <QLocale>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>
#include <limits>

namespace {
constexpr int Failed = 1;

QString rootName(quint32 root)
{
    return root == mdlRegistry::HKEY_LOCAL_MACHINE ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                                   : QString();
}

bool isFraction(const QVariant &value)
{
    return value.typeId() == QMetaType::Float || value.typeId() == QMetaType::Double;
}

class IniKey : public mdlRegistry::OpenKey
{
public:
    IniKey(const QString &fileName, const QString &group)
        : m_settings(fileName, QSettings::IniFormat)
    {
        m_settings.beginGroup(group);
    }

    bool usable() const { return m_settings.isWritable(); }

    int setValue(const QString &valueName, const QVariant &data) override
    {
        m_settings.setValue(valueName, data);
        m_settings.sync();
        return m_settings.status() == QSettings::NoError ? 0 : Failed;
    }

private:
    QSettings m_settings;
};
} // namespace

void mdlRegistry::MakeKey(quint32 root, const QString &keyPath)
{
    createKey(root, keyPath);
}

void mdlRegistry::StoreValue(quint32 root, const QString &keyPath, const QString &valueName,
                             const QVariant &value, int valueType)
{
    if (const std::unique_ptr<OpenKey> key = openKey(root, keyPath))
        WriteTyped(*key, valueName, value, valueType);
}

int mdlRegistry::WriteTyped(OpenKey &key, const QString &valueName, const QVariant &value,
                            int valueType)
{
    switch (valueType) {
    case REG_SZ:
        return key.setValue(valueName, textOf(value));
    case REG_DWORD: {
        bool ok = false;
        const double number = std::nearbyint(value.toDouble(&ok));
        if (!ok || number < std::numeric_limits<qint32>::min() ||
            number > std::numeric_limits<qint32>::max())
            return Failed;
        return key.setValue(valueName, qint32(number));
    }
    default:
        return 0;
    }
}

QString mdlRegistry::textOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (!isFraction(value))
        return value.toString();
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(double(float(value.toDouble())), 'g', 7);
}

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(defaultFileName())
{}

IniSettingsStore::IniSettingsStore(const QString &fileName)
    : m_fileName(fileName)
{}

QString IniSettingsStore::defaultFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Velmora/Velmora.ini");
}

std::unique_ptr<mdlRegistry::OpenKey> IniSettingsStore::createKey(quint32 root,
                                                                  const QString &keyPath)
{
    return openKey(root, keyPath);
}

std::unique_ptr<mdlRegistry::OpenKey> IniSettingsStore::openKey(quint32 root,
                                                                const QString &keyPath)
{
    const QString name = rootName(root);
    if (name.isEmpty())
        return nullptr;
    QString group = name + u'/' + keyPath;
    group.replace(u'\\', u'/');
    auto key = std::make_unique<IniKey>(m_fileName, group);
    if (!key->usable())
        return nullptr;
    return key;
}
