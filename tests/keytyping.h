#pragma once

#include "doubles/testwindow.h"

#include <QApplication>
#include <QTest>

// Types keys into whichever widget has the focus, as a person would, letting queued strokes
// run after each key. Characters stand for themselves; "{Name}" is a key: Enter, Up, Down,
// Left, Right, Home, End, Esc, Del, BS, ShiftSpace, CtrlSpace.
inline void typeKeys(const QString &keys)
{
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY2(target, "no widget has the focus");
        if (keys.at(i) != u'{') {
            QTest::keyClick(target, char(keys.at(i).toLatin1()));
            TestWindow::settle();
            continue;
        }
        const qsizetype close = keys.indexOf(u'}', i);
        const QString name = keys.mid(i + 1, close - i - 1);
        i = close;
        static const QHash<QString, QPair<Qt::Key, Qt::KeyboardModifiers>> named = {
            {QStringLiteral("Enter"), {Qt::Key_Return, Qt::NoModifier}},
            {QStringLiteral("Up"), {Qt::Key_Up, Qt::NoModifier}},
            {QStringLiteral("Down"), {Qt::Key_Down, Qt::NoModifier}},
            {QStringLiteral("Left"), {Qt::Key_Left, Qt::NoModifier}},
            {QStringLiteral("Right"), {Qt::Key_Right, Qt::NoModifier}},
            {QStringLiteral("Home"), {Qt::Key_Home, Qt::NoModifier}},
            {QStringLiteral("End"), {Qt::Key_End, Qt::NoModifier}},
            {QStringLiteral("Esc"), {Qt::Key_Escape, Qt::NoModifier}},
            {QStringLiteral("Del"), {Qt::Key_Delete, Qt::NoModifier}},
            {QStringLiteral("BS"), {Qt::Key_Backspace, Qt::NoModifier}},
            {QStringLiteral("ShiftSpace"), {Qt::Key_Space, Qt::ShiftModifier}},
            {QStringLiteral("CtrlSpace"), {Qt::Key_Space, Qt::ControlModifier}},
        };
        QVERIFY2(named.contains(name), qPrintable(name));
        const auto key = named.value(name);
        QTest::keyClick(target, key.first, key.second);
        TestWindow::settle();
    }
}
