#include "dialogs/TrajectoryPrpDialog.h"

#include "app/M_Rc.h"
#include "components/DialogService.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace {
constexpr int kStrProperties = 2001;
constexpr int kStrName = 9008;
constexpr int kStrColor = 1075;
constexpr int kStrOk = 3900;
constexpr int kStrCancel = 3901;
} // namespace

TrajectoryPrpDialog::TrajectoryPrpDialog(const QString& name, const QColor& color, QWidget* parent)
    : QDialog(parent), m_former(name), m_color(color)
{
    setObjectName(QStringLiteral("TrajectoryPrpDialog"));
    setWindowTitle(M_Rc::getRcStr(kStrProperties));
    m_txtName = new QLineEdit(name, this);
    m_txtName->setObjectName(QStringLiteral("txtName"));
    m_txtName->setMaxLength(80);
    m_btnColor = new QPushButton(this);
    m_btnColor->setObjectName(QStringLiteral("btnColor"));
    colorButton_update();
    connect(m_btnColor, &QPushButton::clicked, this, [this] {
        if (const auto chosen = DialogService::current().chooseColor(this, m_color)) {
            m_color = *chosen;
            colorButton_update();
        }
    });
    auto* ok = new QPushButton(M_Rc::getRcStr(kStrOk), this);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(M_Rc::getRcStr(kStrCancel), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(M_Rc::getRcStr(kStrName), m_txtName);
    form->addRow(M_Rc::getRcStr(kStrColor), m_btnColor);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addLayout(buttons);
}

QString TrajectoryPrpDialog::name() const
{
    const QString typed = m_txtName->text().trimmed();
    return typed.isEmpty() ? m_former : typed;
}

void TrajectoryPrpDialog::colorButton_update()
{
    QPixmap swatch(40, 14);
    swatch.fill(m_color);
    m_btnColor->setIcon(swatch);
    m_btnColor->setIconSize(swatch.size());
    m_btnColor->setText(m_color.name());
}
