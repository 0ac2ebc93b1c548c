#pragma once

#include <QString>

// Every window of the program by its window name: how windows open one
// another through the host, and the Qt objectName of their real windows.
namespace windows {

inline const QString kStartWindow = QStringLiteral("frmInizio");
inline const QString kPracticeWindow = QStringLiteral("FrmOperativo");
inline const QString kExercisesWindow = QStringLiteral("FrmStampaEsercizio");
inline const QString kCertificateWindow = QStringLiteral("FrmAttestato");
inline const QString kWorksheetWindow = QStringLiteral("FrmStampaSchede");
inline const QString kValutazioneWindow = QStringLiteral("FrmValutazione");
inline const QString kEsempiWindow = QStringLiteral("frmEsempi");
inline const QString kAutoreWindow = QStringLiteral("frmAutore");
inline const QString kChiSeiWindow = QStringLiteral("FrmChiSei");

}  // namespace windows
