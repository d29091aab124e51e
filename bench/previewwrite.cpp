#include "previewwrite.h"

#include "statistics.h"

#include "core/textencoding.h"
#include "system/files.h"
#include "system/previewfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

namespace {
bool writeInPlace(const QString &path, const QByteArray &head, const QByteArray &body)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) &&
           writeAll(file, head) && writeAll(file, body);
}
} // namespace

void measurePreviewWrite(QTextStream &out, const QList<QPair<QString, QString>> &pages,
                         const QString &folder, int rounds)
{
    out << QStringLiteral("\n| page | preview written in place ms | written whole and renamed "
                          "ms | ratio |\n|---|---|---|---|\n");
    for (const auto &[name, path] : pages) {
        QFile page(path);
        if (!page.open(QIODevice::ReadOnly))
            continue;
        TextEncoding encoding;
        const QString text = TextEncoding::decode(page.readAll(), &encoding);
        QByteArray head;
        QByteArray body;
        PreviewFile::compose(text, encoding, true, head, body);
        const QString preview = folder + QStringLiteral("/measured.html_VLM_temp.html");
        // Blocks of each in turn, so that neither way's writes stand in the other's.
        QList<double> inPlace;
        QList<double> replaced;
        QString reason;
        for (int block = 0; block < 4; ++block) {
            for (int i = 0; i < rounds; ++i) {
                QElapsedTimer timer;
                timer.start();
                if (block % 2 == 0)
                    writeInPlace(preview, head, body);
                else
                    PreviewFile::replace(preview, head, body, &reason);
                (block % 2 == 0 ? inPlace : replaced).append(timer.nsecsElapsed() / 1e6);
            }
        }
        QFile::remove(preview);
        const double before = stats(inPlace).median;
        const double after = stats(replaced).median;
        out << QStringLiteral("| %1 | %2 | %3 | %4 |\n")
                   .arg(name)
                   .arg(before, 0, 'f', 3)
                   .arg(after, 0, 'f', 3)
                   .arg(before > 0 ? after / before : 0, 0, 'f', 2);
        out.flush();
    }
}
