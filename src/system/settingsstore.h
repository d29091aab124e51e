#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <memory>

// The settings store, `mdlRegistry`: named values in keys under a root, as the registry holds
// them. Every operation opens what it needs and closes it before returning. Failures are
// silent: a key that cannot be had leaves nothing written.
class mdlRegistry
{
public:
    static constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002;
    static constexpr int REG_SZ = 1;
    static constexpr int REG_DWORD = 4;

    mdlRegistry() = default;
    virtual ~mdlRegistry() = default;
    mdlRegistry(const mdlRegistry &) = delete;
    mdlRegistry &operator=(const mdlRegistry &) = delete;

    // Creates the key, or opens it where it exists, and closes it again.
    void MakeKey(quint32 root, const QString &keyPath);
    // Opens the existing key, writes the value as `valueType` and closes the key.
    void StoreValue(quint32 root, const QString &keyPath, const QString &valueName,
                    const QVariant &value, int valueType);

    // A value as text: fractional numbers as single precision with up to seven significant
    // digits in the user's notation, without trailing zeros; booleans as True or False.
    static QString textOf(const QVariant &value);

    // A key of the backing store, open until destroyed.
    class OpenKey
    {
    public:
        OpenKey() = default;
        virtual ~OpenKey() = default;
        OpenKey(const OpenKey &) = delete;
        OpenKey &operator=(const OpenKey &) = delete;
        // Returns 0 when the value was written.
        virtual int setValue(const QString &valueName, const QVariant &data) = 0;
    };

protected:
    // Each gives nullptr where the key cannot be had.
    virtual std::unique_ptr<OpenKey> createKey(quint32 root, const QString &keyPath) = 0;
    virtual std::unique_ptr<OpenKey> openKey(quint32 root, const QString &keyPath) = 0;

    // REG_SZ writes the value's text, REG_DWORD a signed 32-bit integer; any other type writes
    // nothing. Returns 0 for success.
    static int WriteTyped(OpenKey &key, const QString &valueName, const QVariant &value,
                          int valueType);
};

// The store as a settings file in INI form, by default in the user's configuration folder. Its
// keys are the root's name, the key path and the value name: "HKEY_LOCAL_MACHINE/SOFTWARE/VLM/
// FontName". A file has no empty keys, so a key can be had wherever the file can be written.
class IniSettingsStore : public mdlRegistry
{
public:
    IniSettingsStore();
    explicit IniSettingsStore(const QString &fileName);

    QString fileName() const { return m_fileName; }
    static QString defaultFileName();

protected:
    std::unique_ptr<OpenKey> createKey(quint32 root, const QString &keyPath) override;
    std::unique_ptr<OpenKey> openKey(quint32 root, const QString &keyPath) override;

private:
    QString m_fileName;
};
