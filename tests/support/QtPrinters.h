#pragma once

// Readable gtest output for Qt values.

#include <QByteArray>
#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << '"' << b.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(QStringLiteral(", ")).toStdString() << ']'; }
inline void PrintTo(const QDateTime& d, std::ostream* os) { *os << d.toString(Qt::ISODateWithMs).toStdString(); }
inline void PrintTo(const QUuid& u, std::ostream* os) { *os << u.toString().toStdString(); }
inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}
QT_END_NAMESPACE
