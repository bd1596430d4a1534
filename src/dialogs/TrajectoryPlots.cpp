#include "dialogs/TrajectoryPlots.h"

#include "app/M_File.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "components/analysis/TrajectoryTables.h"
#include "components/tracking/Kinematics.h"
#include "dialogs/PlotChartView.h"

#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSpinBox>
#include <QStyle>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

using analysis::Quantity;

namespace {
// A run adds a point a frame, hundreds a second: they are read at most this often.
constexpr int kChangeMs = 40;
constexpr int kStrPlots = 3987;
constexpr int kStrTrajectory = 3988;
constexpr int kStrQuantities = 3989; // then 3990 .. 3995: y, vx, vy, speed, ax, ay
constexpr int kStrDistance = 3996;
constexpr int kStrAngle = 3997;
constexpr int kStrSmoothing = 3998;
constexpr int kStrNoFit = 3999;
constexpr int kStrLine = 9001;
constexpr int kStrParabola = 9002;
constexpr int kStrFrom = 9003;
constexpr int kStrTo = 9004;
constexpr int kStrSavePlot = 9005;
constexpr int kStrNoTrajectory = 9006;
constexpr int kStrTime = 9007;
constexpr int kStrWriteFailed = 3977;
constexpr int kStrDock = 9020;
constexpr int kStrFloat = 9021;
constexpr int kStrClose = 1901;

QString number(double v) { return QLocale().toString(v, 'g', 5); }

QLabel* label(int stringNr, QWidget* parent)
{
    auto* l = new QLabel(M_Rc::getRcStr(stringNr), parent);
    l->setProperty("stringNr", stringNr);
    return l;
}

} // namespace

TrajectoryPlots::TrajectoryPlots(Source source, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_source(std::move(source))
{
    setObjectName(QStringLiteral("TrajectoryPlots"));
    build();
    setTexts();
    m_pending = new QTimer(this);
    m_pending->setSingleShot(true);
    m_pending->setInterval(kChangeMs);
    connect(m_pending, &QTimer::timeout, this, &TrajectoryPlots::refresh);
    resize(720, 460);
}

TrajectoryPlots::~TrajectoryPlots() = default;

QChart* TrajectoryPlots::chart() const { return m_view ? m_view->chart() : nullptr; }

void TrajectoryPlots::build()
{
    m_lblTitle = new QLabel(this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = m_lblTitle->font();
    bold.setBold(true);
    m_lblTitle->setFont(bold);
    m_btnDock = new QToolButton(this);
    m_btnDock->setObjectName(QStringLiteral("btnDock"));
    m_btnDock->setAutoRaise(true);
    m_btnDock->setIcon(style()->standardIcon(QStyle::SP_TitleBarNormalButton));
    m_btnClose = new QToolButton(this);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setAutoRaise(true);
    m_btnClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_cboWhat = new QComboBox(this);
    m_cboWhat->setObjectName(QStringLiteral("cboWhat"));
    m_cboWhat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_cboQuantity = new QComboBox(this);
    m_cboQuantity->setObjectName(QStringLiteral("cboQuantity"));
    m_cboQuantity->setSizeAdjustPolicy(QComboBox::AdjustToContents); // follows the language's texts
    m_spnWindow = new QSpinBox(this);
    m_spnWindow->setObjectName(QStringLiteral("spnWindow"));
    m_spnWindow->setRange(3, 99);
    m_spnWindow->setSingleStep(2);
    m_spnOrder = new QSpinBox(this);
    m_spnOrder->setObjectName(QStringLiteral("spnOrder"));
    m_spnOrder->setRange(2, 4);
    m_cboFit = new QComboBox(this);
    m_cboFit->setObjectName(QStringLiteral("cboFit"));
    m_cboFit->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_spnFrom = new QDoubleSpinBox(this);
    m_spnFrom->setObjectName(QStringLiteral("spnFrom"));
    m_spnTo = new QDoubleSpinBox(this);
    m_spnTo->setObjectName(QStringLiteral("spnTo"));
    for (QDoubleSpinBox* s : {m_spnFrom.data(), m_spnTo.data()}) {
        s->setDecimals(3);
        s->setSingleStep(0.04);
        s->setSuffix(QStringLiteral(" s"));
    }
    m_lblFit = new QLabel(this);
    m_lblFit->setObjectName(QStringLiteral("lblFit"));
    m_lblFit->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblFit->setWordWrap(true);
    m_lblEmpty = new QLabel(this);
    m_lblEmpty->setWordWrap(true);
    m_btnSave = new QPushButton(this);
    m_btnSave->setObjectName(QStringLiteral("btnSave"));

    auto* chart = new QChart;
    chart->legend()->hide();
    m_data = new QLineSeries(chart);
    m_data->setPointsVisible(true);
    m_data->setMarkerSize(4);
    m_fitLine = new QLineSeries(chart);
    m_fitLine->setPen(QPen(QColor(20, 40, 90), 2, Qt::DashLine)); // dark: trajectories are bright
    m_cursor = new QLineSeries(chart);
    m_cursor->setPen(QPen(QColor(90, 90, 90), 1));
    auto* axisT = new QValueAxis(chart);
    auto* axisV = new QValueAxis(chart);
    chart->addAxis(axisT, Qt::AlignBottom);
    chart->addAxis(axisV, Qt::AlignLeft);
    for (QLineSeries* s : {m_data, m_fitLine, m_cursor}) {
        chart->addSeries(s);
        s->attachAxis(axisT);
        s->attachAxis(axisV);
    }
    m_view = new PlotChartView(chart, this);
    m_view->setObjectName(QStringLiteral("chart"));
    m_view->setMinimumSize(320, 200);

    auto* head = new QHBoxLayout;
    head->addWidget(m_lblTitle);
    head->addStretch();
    head->addWidget(m_btnSave); // in the title row: the row of the fit leaves its texts room
    head->addWidget(m_btnDock);
    head->addWidget(m_btnClose);
    auto* top = new QHBoxLayout;
    top->addWidget(label(kStrTrajectory, this));
    top->addWidget(m_cboWhat);
    top->addWidget(m_cboQuantity);
    top->addSpacing(12);
    top->addWidget(label(kStrSmoothing, this));
    top->addWidget(m_spnWindow);
    top->addWidget(m_spnOrder);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_cboFit);
    bottom->addWidget(label(kStrFrom, this));
    bottom->addWidget(m_spnFrom);
    bottom->addWidget(label(kStrTo, this));
    bottom->addWidget(m_spnTo);
    bottom->addStretch();
    auto* all = new QVBoxLayout(this);
    all->addLayout(head);
    all->addLayout(top);
    all->addWidget(m_lblEmpty);
    all->addWidget(m_view, 1);
    all->addLayout(bottom);
    all->addWidget(m_lblFit); // a row of its own: the coefficients never widen the window

    // Another trajectory or quantity: its whole time span, drawn anew.
    connect(m_cboWhat, &QComboBox::currentIndexChanged, this, [this] {
        m_spanTouched = false;
        m_series = {};
        plot();
    });
    connect(m_cboQuantity, &QComboBox::currentIndexChanged, this, [this] {
        m_series = {};
        plot();
    });
    connect(m_cboFit, &QComboBox::currentIndexChanged, this, &TrajectoryPlots::fit_update);
    for (QDoubleSpinBox* s : {m_spnFrom.data(), m_spnTo.data()})
        connect(s, &QDoubleSpinBox::editingFinished, this, [this] {
            m_spanTouched = true;
            fit_update();
        });
    for (QSpinBox* s : {m_spnWindow.data(), m_spnOrder.data()})
        connect(s, &QSpinBox::editingFinished, this, &TrajectoryPlots::smoothing_apply);
    connect(m_btnSave, &QPushButton::clicked, this, &TrajectoryPlots::save);
    connect(m_btnDock, &QToolButton::clicked, this, &TrajectoryPlots::dockToggled);
    connect(m_btnClose, &QToolButton::clicked, this, &QWidget::hide);
    connect(m_view, &PlotChartView::timeClicked, this, [this](double t) {
        const auto c = chosen();
        if (!c || m_series.times.empty() || !m_source.seek)
            return;
        const auto it = std::lower_bound(m_series.times.begin(), m_series.times.end(), t);
        std::size_t i = std::size_t(it - m_series.times.begin());
        if (i == m_series.times.size() || (i > 0 && t - m_series.times[i - 1] < *it - t))
            --i;
        m_source.seek(m_views[std::size_t(c->view)].idx, m_series.frames[i]);
        refresh();
    });
}

void TrajectoryPlots::setTexts()
{
    setWindowTitle(M_Rc::getRcStr(kStrPlots));
    m_lblTitle->setText(windowTitle());
    m_btnDock->setToolTip(M_Rc::getRcStr(isWindow() ? kStrDock : kStrFloat));
    m_btnClose->setToolTip(M_Rc::getRcStr(kStrClose));
    for (QLabel* l : findChildren<QLabel*>())
        if (const int nr = l->property("stringNr").toInt())
            l->setText(M_Rc::getRcStr(nr));
    const int q = std::max(0, m_cboQuantity->currentIndex());
    m_cboQuantity->blockSignals(true);
    m_cboQuantity->clear();
    for (int i = 0; i < 7; ++i)
        m_cboQuantity->addItem(M_Rc::getRcStr(kStrQuantities + i));
    m_cboQuantity->setCurrentIndex(q);
    m_cboQuantity->blockSignals(false);
    const int f = std::max(0, m_cboFit->currentIndex());
    m_cboFit->blockSignals(true);
    m_cboFit->clear();
    m_cboFit->addItems({M_Rc::getRcStr(kStrNoFit), M_Rc::getRcStr(kStrLine), M_Rc::getRcStr(kStrParabola)});
    m_cboFit->setCurrentIndex(f);
    m_cboFit->blockSignals(false);
    m_btnSave->setText(M_Rc::getRcStr(kStrSavePlot));
    m_lblEmpty->setText(M_Rc::getRcStr(kStrNoTrajectory));
    if (auto* axis = chart()->axes(Qt::Horizontal).value(0))
        axis->setTitleText(M_Rc::getRcStr(kStrTime));
    m_choices.clear(); // their texts are made again
    refresh();
}

void TrajectoryPlots::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void TrajectoryPlots::hideEvent(QHideEvent* event)
{
    m_pending->stop();
    QWidget::hideEvent(event);
}

void TrajectoryPlots::changed()
{
    if (isVisible() && !m_pending->isActive())
        m_pending->start();
}

void TrajectoryPlots::frameShown()
{
    if (!isVisible() || !m_source.frame)
        return;
    bool moved = false;
    for (ViewState& v : m_views) {
        const int now = m_source.frame(v.idx);
        moved = moved || now != v.currentFrame;
        v.currentFrame = now;
    }
    if (moved) // asked on every move of the pointer too
        cursor_update();
}

void TrajectoryPlots::setDocked(bool docked)
{
    m_lblTitle->setVisible(docked);
    m_btnClose->setVisible(docked); // as a window it has the window's own
    m_btnDock->setToolTip(M_Rc::getRcStr(docked ? kStrFloat : kStrDock));
}

void TrajectoryPlots::refresh()
{
    m_views = m_source.views ? m_source.views() : std::vector<ViewState>{};
    choices_fill();
    plot();
}

void TrajectoryPlots::choices_fill()
{
    std::vector<Choice> made;
    const bool several = std::count_if(m_views.begin(), m_views.end(),
                                       [](const ViewState& v) { return !v.view.trajectories.empty(); }) > 1;
    for (std::size_t v = 0; v < m_views.size(); ++v) {
        const auto& ts = m_views[v].view.trajectories;
        const int n = int(ts.size());
        const QString lead = several ? QStringLiteral("%1: ").arg(m_views[v].idx + 1) : QString();
        const auto name = [&](int i) { return ts[std::size_t(i)].name; };
        for (int i = 0; i < n; ++i)
            made.push_back({int(v), {i}, Quantity::X, true, lead + name(i)});
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                made.push_back({int(v), {i, j}, Quantity::Distance, false,
                                lead + M_Rc::getRcStr(kStrDistance) + QStringLiteral(": %1 – %2").arg(name(i), name(j))});
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j)
                for (int k = j + 1; k < n; ++k)
                    made.push_back({int(v), {i, j, k}, Quantity::Angle, false,
                                    lead + M_Rc::getRcStr(kStrAngle) +
                                        QStringLiteral(": %1 – %2 – %3").arg(name(i), name(j), name(k))});
    }
    const auto texts = [](const std::vector<Choice>& cs) {
        QStringList t;
        for (const Choice& c : cs)
            t << c.text;
        return t;
    };
    if (texts(made) == texts(m_choices) && m_cboWhat->count() == int(made.size())) {
        m_choices = made;
        return;
    }
    const QString was = m_cboWhat->currentText();
    m_choices = made;
    m_cboWhat->blockSignals(true);
    m_cboWhat->clear();
    m_cboWhat->addItems(texts(made));
    // The one shown stays; a new trajectory is shown when nothing was.
    const int keep = m_cboWhat->findText(was);
    m_cboWhat->setCurrentIndex(keep >= 0 ? keep : made.empty() ? -1 : 0);
    m_cboWhat->blockSignals(false);
    if (keep < 0) {
        m_series = {};
        m_spanTouched = false;
    }
}

std::optional<TrajectoryPlots::Choice> TrajectoryPlots::chosen() const
{
    const int i = m_cboWhat ? m_cboWhat->currentIndex() : -1;
    if (i < 0 || i >= int(m_choices.size()) || m_choices[std::size_t(i)].view >= int(m_views.size()))
        return std::nullopt;
    return m_choices[std::size_t(i)];
}

void TrajectoryPlots::plot()
{
    const auto c = chosen();
    m_lblEmpty->setVisible(!c);
    m_cboQuantity->setEnabled(c && c->single);
    const Quantity q = c && c->single ? Quantity(std::max(0, m_cboQuantity->currentIndex())) : c ? c->fixed : Quantity::X;
    const bool smoothed = c && c->single && q >= Quantity::Vx;
    m_spnWindow->setEnabled(smoothed);
    m_spnOrder->setEnabled(smoothed);
    const ViewState* vs = c ? &m_views[std::size_t(c->view)] : nullptr;
    if (smoothed && !m_spnWindow->hasFocus() && !m_spnOrder->hasFocus()) {
        const auto& t = vs->view.trajectories[std::size_t(c->trajectories[0])];
        m_spnWindow->setValue(analysis::smoothingWindow(t, vs->view.video.frameRate));
        m_spnOrder->setValue(t.order);
    }
    const analysis::Series s = c ? analysis::trajectorySeries(vs->view, c->trajectories, q) : analysis::Series{};
    if (s.frames == m_series.frames && s.values == m_series.values && s.unit == m_series.unit &&
        !(s.frames.empty() && m_data->count() > 0)) {
        cursor_update();
        return;
    }
    m_series = s;
    QList<QPointF> points;
    for (std::size_t i = 0; i < s.times.size(); ++i)
        points << QPointF(s.times[i], s.values[i]);
    m_data->replace(points);
    if (vs)
        m_data->setColor(vs->view.trajectories[std::size_t(c->trajectories[0])].color);
    if (!s.times.empty()) {
        const auto [lo, hi] = std::minmax_element(s.values.begin(), s.values.end());
        // A flat series (a single point, an object at rest) gets room around its value rather
        // than a sliver of rounding noise; both axes then end on round numbers.
        const double span = *hi - *lo;
        const double pad = span > 1e-9 * std::max(1.0, std::abs(*hi)) ? span * 0.05 : std::max(1.0, std::abs(*hi) * 0.05);
        auto* axisT = static_cast<QValueAxis*>(chart()->axes(Qt::Horizontal).value(0));
        auto* axisV = static_cast<QValueAxis*>(chart()->axes(Qt::Vertical).value(0));
        axisT->setRange(s.times.front(), s.times.back() > s.times.front() ? s.times.back() : s.times.front() + 1.0);
        axisV->setRange(*lo - pad, *hi + pad);
        axisT->applyNiceNumbers();
        axisV->applyNiceNumbers();
        axisV->setTitleText(QStringLiteral("%1 (%2)").arg(c->single ? m_cboQuantity->currentText() : c->text, s.unit));
        for (QDoubleSpinBox* sp : {m_spnFrom.data(), m_spnTo.data()})
            sp->setRange(s.times.front(), s.times.back());
        if (!m_spanTouched) {
            m_spnFrom->setValue(s.times.front());
            m_spnTo->setValue(s.times.back());
        }
    }
    fit_update();
    cursor_update();
}

void TrajectoryPlots::fit_update()
{
    const int degree = m_cboFit->currentIndex(); // none, line, parabola
    m_fit.clear();
    std::vector<double> t, v;
    for (std::size_t i = 0; i < m_series.times.size(); ++i)
        if (m_series.times[i] >= m_spnFrom->value() - 1e-9 && m_series.times[i] <= m_spnTo->value() + 1e-9) {
            t.push_back(m_series.times[i]);
            v.push_back(m_series.values[i]);
        }
    const auto poly = degree > 0 ? kinematics::fitPolynomial(t, v, degree) : std::nullopt;
    QList<QPointF> line;
    QString text;
    if (poly) {
        m_fit = poly->coefficients;
        for (int k = 0; k <= 100; ++k) {
            const double at = t.front() + (t.back() - t.front()) * k / 100.0;
            line << QPointF(at, poly->at(at));
        }
        const QString& u = m_series.unit;
        if (degree == 1)
            text = QStringLiteral("v = b·t + c:  b = %1 %3/s,  c = %2 %3").arg(number(m_fit[1]), number(m_fit[0]), u);
        else
            text = QStringLiteral("v = a·t² + b·t + c:  a = %1,  b = %2,  c = %3;  2a = %4 %5/s²")
                       .arg(number(m_fit[2]), number(m_fit[1]), number(m_fit[0]), number(2 * m_fit[2]), u);
        text += QStringLiteral("  (rms %1 %2)").arg(number(poly->rms), u);
    }
    m_fitLine->replace(line);
    m_lblFit->setText(text);
}

void TrajectoryPlots::cursor_update()
{
    const auto c = chosen();
    QList<QPointF> line;
    if (c && !m_series.frames.empty()) {
        const int frame = m_views[std::size_t(c->view)].currentFrame;
        const auto it = std::lower_bound(m_series.frames.begin(), m_series.frames.end(), frame);
        if (it != m_series.frames.end() && *it == frame) {
            const double t = m_series.times[std::size_t(it - m_series.frames.begin())];
            const auto* axisV = static_cast<QValueAxis*>(chart()->axes(Qt::Vertical).value(0));
            line << QPointF(t, axisV->min()) << QPointF(t, axisV->max());
        }
    }
    m_cursor->replace(line);
}

void TrajectoryPlots::smoothing_apply()
{
    const auto c = chosen();
    if (!c || !c->single || !m_source.setSmoothing)
        return;
    const int window = m_spnWindow->value() | 1; // a centred window has an odd count
    m_source.setSmoothing(m_views[std::size_t(c->view)].idx, c->trajectories[0], window, m_spnOrder->value());
    refresh();
}

void TrajectoryPlots::save()
{
    // Offered beside the video, named after it, the trajectory and what is plotted.
    QString offer;
    if (const auto c = chosen()) {
        const QFileInfo video(m_views[std::size_t(c->view)].view.video.absolutePath);
        QString name = video.completeBaseName() + u'_' + c->text;
        if (c->single)
            name += u'_' + m_cboQuantity->currentText();
        static const QRegularExpression unsafe(QStringLiteral("[/\\\\:*?\"<>|]"));
        offer = video.dir().filePath(name.replace(unsafe, QStringLiteral("-")) + QStringLiteral(".png"));
    }
    const QString path = M_File::dlgFileSaveOffer(this, offer, QStringLiteral("png"), M_Rc::getRcStr(kStrSavePlot),
                                                  QStringLiteral("PNG|*.png|SVG|*.svg|"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(m_view->size());
        svg.setViewBox(m_view->rect());
        svg.setTitle(windowTitle());
        QPainter painter(&svg);
        m_view->render(&painter);
    } else if (ok) {
        ok = m_view->grab().save(&file, "PNG");
    }
    ok = ok && file.commit();
    if (!ok)
        DialogService::current().messageBox(path + QStringLiteral("\r\n\r\n") + M_Rc::getRcStr(kStrWriteFailed),
                                            MsgBox::OkOnly | MsgBox::Critical, windowTitle());
}
