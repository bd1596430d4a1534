#pragma once

#include "components/analysis/AnalysisDoc.h"

#include <QFrame>
#include <functional>

class QLabel;
class QPushButton;

// A grid cell that stands for a video of the opened analysis that was not found. It holds what
// was made on that video, so the work is saved again with the analysis, and offers to locate the
// video or to let its work go.
class MissingViewCard : public QFrame {
public:
    MissingViewCard(analysis::View work, QWidget* parent);

    const analysis::View& work() const { return m_work; }
    // Its texts in the present language.
    void setTexts();
    std::function<void(MissingViewCard*)> onLocate;
    std::function<void(MissingViewCard*)> onRemove;

    static constexpr const char* kObjectName = "missingViewCard";
    static constexpr const char* kLocateName = "cmdMissingLocate";
    static constexpr const char* kRemoveName = "cmdMissingRemove";

private:
    analysis::View m_work;
    QLabel* m_title = nullptr;
    QLabel* m_kept = nullptr;
    QPushButton* m_locate = nullptr;
    QPushButton* m_remove = nullptr;
};
