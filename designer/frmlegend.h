#pragma once

#include <QDialog>

namespace korvel {

class FlowView;

// What the canvas's colours, figures and pictures mean, drawn by the canvas itself: Start and End,
// a step of each kind and an arrow of each colour, each captioned with its meaning. Read-only.
class FrmLegend final : public QDialog {
    Q_OBJECT
public:
    explicit FrmLegend(QWidget* parent = nullptr);

    FlowView& Sample() { return *m_sample; }

private:
    FlowView* m_sample = nullptr;
};

} // namespace korvel
