#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

// The time line strip: a time axis with adaptive ticks, a current-time cursor, bands that carry
// items (keyframes, synchronisation points, stopwatches) and ranges. The user clicks and drags the
// cursor, items and ranges; the strip reports what the user did and leaves every decision to its
// owner, which moves items and ranges by calling the strip back. Times are written as doubles
// and read as single precision; NoTime in an event means "no time".
class OvTimeLine : public QWidget {
    Q_OBJECT
public:
    static constexpr float NoTime = -1000000000.0f;
    // Button codes and flags in events.
    enum : int { FlagDragEdge = 2, FlagDragWhole = 4, FlagDragDone = 8, FlagContextMenu = 16, FlagGotoTime = 32 };
    // What a range event changed.
    enum RangePart : int { PartStart = 1, PartEnd = 2, PartWhole = 3 };
    // Item styles with their own look; any other value is drawn as a plain marker.
    enum : int { StyleKeyframe = 8710, StyleSyncPoint = 10245, StyleStopwatch = 10249 };

    struct Tick {
        double time;
        int x;
        bool major;
        QString label; // empty for minor ticks
    };

    explicit OvTimeLine(QWidget* parent = nullptr);

    // Set-up: the colour of the strip's bands and a reserved option value.
    void setup(const QColor& bandColor, int options);
    int addBand(const QColor& color); // returns the band's index
    int bandCount() const { return int(m_bands.size()); }
    void setBandCaption(int band, const QString& caption);
    QString bandCaption(int band) const;
    // Caption style: alignment (1 left, 2 centre, 3 right), font pixel size, bold (non-zero), colour.
    void setBandCaptionStyle(int band, int alignment, int size, int bold, const QColor& color);

    float minimum() const { return float(m_min); }
    float maximum() const { return float(m_max); }
    float currentTime() const { return float(m_time); }
    void setMinimum(double t);
    void setMaximum(double t);
    void setCurrentTime(double t);
    // A word on the strip's state, at the right of its first band ("Indexing 40 %"); empty: none.
    void setStatus(const QString& text);
    QString status() const { return m_status; }
    // The axis beyond `t` is shaded: the part of the file not indexed yet, whose frame numbers
    // are provisional. NoTime: none.
    void setKnownUntil(double t);
    float knownUntil() const { return float(m_knownUntil); }

    // Items on the first band, found by id.
    void addItem(int id, int style, double time);
    bool hasItem(int id) const;
    float itemTime(int id) const; // NoTime for an unknown id
    int itemStyle(int id) const;
    QString itemCaption(int id) const;
    void setItemTime(int id, double time);
    void setItemCaption(int id, const QString& caption);
    // Gives an item another id; nothing when the id is unknown or the new one is taken.
    void setItemId(int id, int newId);
    void removeItem(int id);
    int itemCount() const { return int(m_items.size()); }
    // An item or a range is being dragged (false again when the last ItemChanged or
    // RangeChanged of a drag is emitted, at the release).
    bool dragging() const;

    // Ranges on the first band, found by id. The three style values are kept for the owner.
    void addRangeItem(int id, int style1, int style2, int style3, const QColor& color, double start, double end);
    bool hasRangeItem(int id) const;
    float rangeStart(int id) const; // NoTime for an unknown id
    float rangeEnd(int id) const;
    void setRange(int id, double start, double end);
    void setRangeId(int id, int newId);
    void removeRangeItem(int id);
    int rangeCount() const { return int(m_ranges.size()); }

    void refresh() { update(); }

    // Geometry shared by drawing, hit testing and tests.
    int timeToX(double t) const;
    double xToTime(int x) const; // clamped to the axis
    std::vector<Tick> ticks() const;
    QRect bandRect() const;
    QRect axisRect() const;
    QRect tickLabelRect(const Tick& tick) const;
    // Where the first band's caption is drawn; empty without a caption.
    QRect bandCaptionRect() const;
    // Where the status word is drawn (at the right of the first band); empty without one.
    QRect statusRect() const;
    // The item captions that are drawn, by item id, with their rectangles: placed from left to
    // right in the upper half of the band, beside their items, each only where it overlaps
    // neither the band caption, the status word nor a caption placed before it. The caption of
    // the item under the mouse is placed first; every caption shows as the item's tool tip.
    std::vector<std::pair<int, QRect>> itemCaptionRects() const;

Q_SIGNALS:
    void TimeChanged(float t);
    void BandClicked(int band, int a, int b, int code);
    void ItemClicked(int band, int item, int flags, float t);
    void ItemChanged(int band, int item, int x, float t);
    void RangeChanged(int band, int range, int part, float start, float end, int flags);
    void RangeClicked(int band, int range, int a, int b, float t);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Band {
        QColor color;
        QString caption;
        int alignment = 1;
        int captionSize = 12;
        bool bold = false;
        QColor captionColor{240, 240, 230};
    };
    struct Item {
        int id;
        int style;
        double time;
        QString caption;
    };
    struct Range {
        int id;
        int style[3];
        QColor color;
        double start;
        double end;
    };
    enum class Drag { None, Cursor, Item, RangeStart, RangeEnd, RangeWhole };

    Item* findItem(int id);
    const Item* findItem(int id) const;
    Range* findRange(int id);
    const Range* findRange(int id) const;
    const Item* itemAt(const QPoint& p) const;
    // The range under p and which part of it (start edge, end edge or body).
    const Range* rangeAt(const QPoint& p, RangePart* part) const;
    double tickStep() const;
    QString tickLabel(double t, double step) const;
    void paintItem(QPainter& p, const Item& item, bool ghost, double time) const;
    QFont bandCaptionFont() const;
    QFont itemCaptionFont() const;
    void emitRangeDrag(const QPoint& pos, int flags);

    std::vector<Band> m_bands;
    std::vector<Item> m_items;
    std::vector<Range> m_ranges;
    QString m_status;
    double m_knownUntil = NoTime;
    double m_min = 0;
    double m_max = 10;
    double m_time = 0;

    Drag m_drag = Drag::None;
    int m_dragId = -1;
    QPoint m_pressPos;
    bool m_moved = false;
    double m_dragStart0 = 0; // the range's start and end when the drag began
    double m_dragEnd0 = 0;
    double m_dragTime = 0;   // where a dragged item is shown while the button is held
    int m_hoverX = -1;
};
