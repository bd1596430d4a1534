#include "ArtManifest.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace ZorvikArt {
namespace {

const QSet<QString> kFormats{QStringLiteral("bmp"), QStringLiteral("ico"), QStringLiteral("cur"),
                             QStringLiteral("gif")};

bool parseSizes(const QString& field, QList<QSize>* sizes)
{
    static const QRegularExpression rect(QStringLiteral("^(\\d+)x(\\d+)$"));
    const QRegularExpressionMatch m = rect.match(field);
    if (m.hasMatch()) {
        sizes->append(QSize(m.captured(1).toInt(), m.captured(2).toInt()));
    } else {
        for (const QString& edge : field.split(u',')) {
            bool ok = false;
            const int n = edge.trimmed().toInt(&ok);
            if (!ok)
                return false;
            sizes->append(QSize(n, n));
        }
    }
    for (const QSize& s : *sizes)
        if (s.width() < 1 || s.height() < 1 || s.width() > 256 || s.height() > 256)
            return false;
    return !sizes->isEmpty();
}

// "_32x32/line.ico" + "_hot" -> "_32x32/line_hot.ico"; a given name replaces the base name.
QString variantPath(const QString& output, const QString& suffix, const QString& name)
{
    const int slash = output.lastIndexOf(u'/');
    const int dot = output.lastIndexOf(u'.');
    const QString folder = output.left(slash + 1);
    const QString ext = output.mid(dot);
    if (!name.isEmpty())
        return folder + name + ext;
    return output.left(dot) + suffix + ext;
}

} // namespace

bool ArtManifest::load(const QString& file, QString* error)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read the manifest %1").arg(file);
        return false;
    }
    return parse(QString::fromUtf8(f.readAll()), error);
}

bool ArtManifest::parse(const QString& text, QString* error)
{
    m_entries.clear();
    const QStringList lines = text.split(u'\n');
    QSet<QString> outputs;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const auto fail = [&](const QString& why) {
            *error = QStringLiteral("manifest line %1: %2").arg(i + 1).arg(why);
            m_entries.clear();
            return false;
        };
        const QStringList f = line.split(u'\t', Qt::SkipEmptyParts);
        if (f.value(0) == QStringLiteral("hot-tint")) {
            const QColor tint = QColor::fromString(f.value(1));
            if (f.size() != 2 || !tint.isValid())
                return fail(QStringLiteral("hot-tint needs one colour #rrggbb"));
            m_hotTint = tint;
            continue;
        }
        if (f.size() < 5 || f.size() > 6)
            return fail(QStringLiteral("expected 5 or 6 tab-separated fields, found %1").arg(f.size()));

        ArtEntry e;
        e.line = i + 1;
        e.output = f[0];
        e.source = f[1];
        if (e.output.startsWith(u'/') || e.output.contains(QStringLiteral("..")) || !e.output.contains(u'.'))
            return fail(QStringLiteral("bad output path \"%1\"").arg(e.output));
        if (!kFormats.contains(e.format()))
            return fail(QStringLiteral("unknown picture format \"%1\"").arg(e.format()));
        if (!parseSizes(f[2], &e.sizes))
            return fail(QStringLiteral("bad size \"%1\"").arg(f[2]));
        if (e.sizes.size() > 1 && e.format() != QStringLiteral("ico"))
            return fail(QStringLiteral("only an icon can hold several sizes"));
        if (f[3] != QStringLiteral("none")) {
            e.background = QColor::fromString(f[3]);
            if (!e.background.isValid())
                return fail(QStringLiteral("bad background \"%1\"").arg(f[3]));
        } else if (e.format() == QStringLiteral("bmp") || e.format() == QStringLiteral("gif")) {
            return fail(QStringLiteral("a %1 picture has no transparency: give a background").arg(e.format()));
        }

        e.variants.append({ArtVariant::Kind::Normal, e.output});
        if (f[4] != QStringLiteral("-")) {
            for (const QString& item : f[4].split(u',')) {
                const QString kind = item.section(u'=', 0, 0);
                const QString name = item.section(u'=', 1);
                if (kind == QStringLiteral("dis"))
                    e.variants.append({ArtVariant::Kind::Disabled, variantPath(e.output, QStringLiteral("_dis"), name)});
                else if (kind == QStringLiteral("hot"))
                    e.variants.append({ArtVariant::Kind::Hot, variantPath(e.output, QStringLiteral("_hot"), name)});
                else
                    return fail(QStringLiteral("unknown variant \"%1\"").arg(item));
            }
        }

        if (e.format() == QStringLiteral("cur")) {
            static const QRegularExpression hot(QStringLiteral("^(\\d+),(\\d+)$"));
            const QRegularExpressionMatch m = hot.match(f.value(5));
            if (!m.hasMatch())
                return fail(QStringLiteral("a cursor needs its hotspot as x,y"));
            e.hotspot = QPoint(m.captured(1).toInt(), m.captured(2).toInt());
            if (e.hotspot.x() >= e.sizes[0].width() || e.hotspot.y() >= e.sizes[0].height())
                return fail(QStringLiteral("the hotspot lies outside the cursor"));
        } else if (f.size() == 6) {
            return fail(QStringLiteral("only a cursor has a hotspot"));
        }

        for (const ArtVariant& v : e.variants) {
            if (outputs.contains(v.path))
                return fail(QStringLiteral("\"%1\" is made twice").arg(v.path));
            outputs.insert(v.path);
        }
        m_entries.append(e);
    }
    return true;
}

} // namespace ZorvikArt
