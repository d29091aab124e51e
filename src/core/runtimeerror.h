#pragma once

#include <QString>

#include <exception>

// A failure that ends the command it happens in; each command's error step catches it and
// looks at the number (32755 is a cancelled dialog).
class RuntimeError : public std::exception
{
public:
    static constexpr int CancelSelected = 32755;

    RuntimeError(int number, const QString &description)
        : m_number(number)
        , m_description(description)
    {}

    int number() const { return m_number; }
    QString description() const { return m_description; }
    const char *what() const noexcept override { return "RuntimeError"; }

private:
    int m_number;
    QString m_description;
};
