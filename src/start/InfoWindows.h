#pragma once

#include "app/Services.h"
#include "forms/Form.h"

#include <QString>

// The small information windows of the start window's menu bar. Each is shown
// modal, has a fixed layout, changes nothing and closes with "C h i u d i".
namespace start {

// The program's version, as the about window shows it.
QString programVersion();

// Base of the three windows: Command1 unloads the window.
class InfoWindow : public forms::Form {
protected:
    InfoWindow(Services& services, const QString& name, int width, int height);
    void addCloseButton(int left, int top);
    void close();

    Services m_services;
};

// FrmValutazione: the grading scale and what the certificate is for. A click
// anywhere on the window also closes it.
class ValutazioneWindow final : public InfoWindow {
public:
    static constexpr int kDesignWidth = 8160;
    static constexpr int kDesignHeight = 4860;
    explicit ValutazioneWindow(Services& services);

protected:
    void Form_Click() override { close(); }
};

// frmEsempi: how operations are posed, on the addition 3 + 6 = 9.
class EsempiWindow final : public InfoWindow {
public:
    static constexpr int kDesignWidth = 9600;
    static constexpr int kDesignHeight = 6000;
    explicit EsempiWindow(Services& services);
};

// frmAutore: the program's name, version and purpose.
class AutoreWindow final : public InfoWindow {
public:
    static constexpr int kDesignWidth = 7200;
    static constexpr int kDesignHeight = 3600;
    explicit AutoreWindow(Services& services);
};

}  // namespace start
