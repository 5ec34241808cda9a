#pragma once

#include <QString>
#include <QStringList>

namespace orvane {

// The one modpack build the companion certifies.
namespace CertifiedPack {

inline const QString name = QStringLiteral("Tekkit 2");
inline const QString version = QStringLiteral("1.2.6");
inline const QString minecraftVersion = QStringLiteral("1.12.2");
inline const QString forgeVersion = QStringLiteral("14.23.5.2860");
inline const QString forgeId = QStringLiteral("1.12.2-forge-14.23.5.2860");
inline const QStringList acceptedSlugs = {QStringLiteral("tekkit-2"), QStringLiteral("tekkit2"),
                                          QStringLiteral("tekkit 2")};

} // namespace CertifiedPack

} // namespace orvane
