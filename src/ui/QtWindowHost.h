#pragma once

#include "forms/WindowHost.h"

#include <QHash>
#include <QMargins>
#include <QPointer>

#include <functional>
#include <vector>

namespace ui {

class FormView;

// The window host of the real program: every loaded form gets a FormView.
// Widget events are routed through here so that handlers run one at a time,
// across all windows, and every view is brought up to date after each one.
class QtWindowHost final : public forms::WindowHost {
public:
    explicit QtWindowHost(Factory factory);
    ~QtWindowHost() override;

    FormView* viewOf(const forms::Form& form) const;
    FormView* viewOf(const QString& name) const;

    // Runs f now (then syncs every view), or after the handler in progress.
    void route(std::function<void()> f);
    void syncAll();
    // A handler is running: new events wait their turn.
    bool busy() const { return m_routing; }
    // The views are being brought up to date with their forms.
    bool syncing() const { return m_syncing; }

    // After every event, writes each window's controls (name, caption,
    // enabled, visible, screen rectangle, focus) to this file, for automation.
    void setTraceFile(const QString& path) { m_traceFile = path; }

    // The frame the desktop draws around a window, as last seen on one.
    QMargins frameMargins() const { return m_frameMargins; }
    void setFrameMargins(const QMargins& margins) { m_frameMargins = margins; }

    int screenWidth() const override;
    int screenHeight() const override;
    void doEvents() override;

protected:
    void viewLoaded(forms::Form& form) override;
    void viewShown(forms::Form& form, forms::Modality modality) override;
    void viewActivated(forms::Form& form) override;
    void viewUnloaded(std::unique_ptr<forms::Form> form) override;
    void allUnloaded() override;

private:
    void writeTrace();

    QString m_traceFile;
    QMargins m_frameMargins;
    QHash<const forms::Form*, QPointer<FormView>> m_views;
    std::vector<std::function<void()>> m_queue;
    bool m_routing = false;
    bool m_syncing = false;
};

}  // namespace ui
