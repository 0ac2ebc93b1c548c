#pragma once

#include <QString>

// The windows this part of the program opens or is, by window name.
namespace start {

inline const QString kStartWindow = QStringLiteral("frmInizio");
inline const QString kValutazioneWindow = QStringLiteral("FrmValutazione");
inline const QString kEsempiWindow = QStringLiteral("frmEsempi");
inline const QString kAutoreWindow = QStringLiteral("frmAutore");
// Built elsewhere; opened by name.
inline const QString kPracticeWindow = QStringLiteral("FrmOperativo");
inline const QString kWorksheetWindow = QStringLiteral("FrmStampaSchede");

}  // namespace start
