#include "viewcontroller/MissingViewCard.h"

#include "app/M_Rc.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kStrTitle = 3960;
constexpr int kStrLocate = 3961;
constexpr int kStrRemove = 3962;
constexpr int kStrWork = 3963;
} // namespace

MissingViewCard::MissingViewCard(analysis::View work, QWidget* parent) : QFrame(parent), m_work(std::move(work))
{
    setObjectName(QLatin1String(kObjectName));
    setFrameShape(QFrame::Box);
    // Marked like no view with a picture: a dashed look is not available to a frame, so a tinted
    // background and a bold title carry the mark.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x5a, 0x2a, 0x2a));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    const QString path = QDir::toNativeSeparators(m_work.video.absolutePath);
    auto* title = m_title = new QLabel(this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    title->setFont(bold);
    auto* name = new QLabel(QFileInfo(path).fileName(), this);
    name->setObjectName(QStringLiteral("lblMissingName"));
    name->setFont(bold);
    auto* where = new QLabel(path, this);
    where->setWordWrap(true);
    auto* kept = m_kept = new QLabel(this);
    kept->setObjectName(QStringLiteral("lblMissingWork"));
    kept->setWordWrap(true);

    auto* locate = m_locate = new QPushButton(this);
    locate->setObjectName(QLatin1String(kLocateName));
    auto* remove = m_remove = new QPushButton(this);
    remove->setObjectName(QLatin1String(kRemoveName));
    setTexts();
    connect(locate, &QPushButton::clicked, this, [this] {
        if (onLocate)
            onLocate(this);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (onRemove)
            onRemove(this);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(locate);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* box = new QVBoxLayout(this);
    box->addStretch();
    for (QLabel* label : {title, name, where, kept}) {
        label->setAlignment(Qt::AlignCenter);
        box->addWidget(label);
    }
    box->addSpacing(8);
    box->addLayout(buttons);
    box->addStretch();
}

void MissingViewCard::setTexts()
{
    const std::size_t items = m_work.drawings.size() + m_work.measurements.size();
    const analysis::TimeLine& tl = m_work.timeLine;
    const std::size_t marks = tl.keyframes.size() + tl.userRanges() + tl.syncPoints.size();
    m_title->setText(M_Rc::getRcStr(kStrTitle));
    m_kept->setText(M_Rc::getRcStr(kStrWork).arg(items).arg(marks).arg(m_work.trajectories.size()));
    m_locate->setText(M_Rc::getRcStr(kStrLocate));
    m_remove->setText(M_Rc::getRcStr(kStrRemove));
}
