#include "pagefiles.h"

#include "statistics.h"

#include "core/linebreaks.h"
#include "core/textencoding.h"
#include "system/files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextStream>

#include <unistd.h>

#include <functional>
#include <tuple>

namespace {
double medianMs(int rounds, const std::function<void()> &work)
{
    QList<double> samples;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        samples.append(timer.nsecsElapsed() / 1e6);
    }
    return stats(samples).median;
}

// What any program pays to read a file and write it back durably.
double floorMs(const QString &path, int rounds)
{
    return medianMs(rounds, [&] {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return;
        const QByteArray bytes = in.readAll();
        QFile out(path + QStringLiteral(".floor"));
        if (out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            out.write(bytes);
            std::ignore = ::fsync(out.handle());
        }
    });
}
} // namespace

void printPageFileFigures(const QList<QPair<QString, QString>> &pages, const QString &folder,
                          int rounds, QTextStream &out)
{
    out << "\n| page | form | read ms | save ms | floor ms | ratio | to CR LF |\n"
           "|---|---|---|---|---|---|---|\n";
    for (const auto &[name, path] : pages) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray crlf = file.readAll();
        const QString text = QStringDecoder(QStringDecoder::Utf8).decode(crlf);
        QByteArray lf = crlf;
        lf.replace("\r\n", "\n");
        const QByteArray utf16 =
            "\xFF\xFE" + QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(text));
        double crlfCost = 0;
        for (const auto &[form, bytes] : {QPair<QString, QByteArray>{QStringLiteral("CR LF"), crlf},
                                          {QStringLiteral("LF"), lf},
                                          {QStringLiteral("UTF-16"), utf16}}) {
            const QString page = folder + QStringLiteral("/pagefile.html");
            QFile copy(page);
            if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
                continue;
            copy.close();
            QString loaded, reason;
            TextEncoding encoding;
            LineBreakForm lineBreaks = LineBreakForm::CrLf;
            const double read =
                medianMs(rounds, [&] { readPage(page, &loaded, &encoding, &lineBreaks, &reason); });
            const double save =
                medianMs(rounds, [&] { writePage(page, loaded, encoding, lineBreaks, &reason); });
            const double floor = floorMs(page, rounds);
            if (crlfCost == 0)
                crlfCost = read + save;
            out << "| " << name << " | " << form << " | " << QString::number(read, 'f', 2) << " | "
                << QString::number(save, 'f', 2) << " | " << QString::number(floor, 'f', 2) << " | "
                << QString::number((read + save) / floor, 'f', 2) << " | "
                << QString::number((read + save) / crlfCost, 'f', 2) << " |\n";
            out.flush();
            QFile::remove(page + QStringLiteral(".floor"));
        }
    }
}
