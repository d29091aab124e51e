#pragma once

#include <QString>
#include <QStringList>

// The file and font dialogs. Every setting stays in force for the later dialogs, as does the
// file name chosen last. With `CancelError` on, Cancel is reported to the command that showed
// the dialog as RuntimeError 32755.
class CommonDialog
{
public:
    CommonDialog() = default;
    virtual ~CommonDialog() = default;
    CommonDialog(const CommonDialog &) = delete;
    CommonDialog &operator=(const CommonDialog &) = delete;

    QString Filter() const { return m_filter; }
    // "Name|pattern|Name|pattern", patterns separated by ";".
    void setFilter(const QString &filter) { m_filter = filter; }
    QString DialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString &title) { m_dialogTitle = title; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    bool CancelError() const { return m_cancelError; }
    void setCancelError(bool cancelError) { m_cancelError = cancelError; }
    int Flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }
    QString FontName() const { return m_fontName; }
    void setFontName(const QString &name) { m_fontName = name; }
    double FontSize() const { return m_fontSize; }
    void setFontSize(double points) { m_fontSize = points; }
    bool FontBold() const { return m_fontBold; }
    void setFontBold(bool bold) { m_fontBold = bold; }

    // Accepts names of files that do not exist, so that a new page can be named.
    void ShowOpen();
    void ShowSave();
    void ShowFont();

    // The filter in Qt's form: one "Name (patterns)" entry a pair.
    static QStringList nameFilters(const QString &filter);

protected:
    struct FontChoice
    {
        QString name;
        double size = 0;
        bool bold = false;
    };

    // Each returns false when the user cancels.
    virtual bool chooseOpenFile(QString &fileName) = 0;
    virtual bool chooseSaveFile(QString &fileName) = 0;
    virtual bool chooseFont(FontChoice &font) = 0;

private:
    void cancelled() const;

    QString m_filter;
    QString m_dialogTitle;
    QString m_fileName;
    bool m_cancelError = false;
    int m_flags = 0;
    QString m_fontName;
    double m_fontSize = 0;
    bool m_fontBold = false;
};
