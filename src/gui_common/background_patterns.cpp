#include "gui_common/background_patterns.h"

#include "settings/background_pattern_table.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>
#include <vector>

namespace kelvora {
namespace {

enum class Family {
  Dot,
  SmallBlock,
  LargeBlock,
  Wave,
  Zigzag,
  SmallBall,
  WireMesh,
  Stripe,
  Wave2,
  LargeBall,
  Brick,
  Diamond,
  GraphPaper,
  Smile,
  Star,
  Heart
};

struct PatternEntry {
  Family family;
  QString name;
  QString remark;
  QColor motif;
  QColor ground;
};

QColor NamedColor(const QString& name) {
  static const std::vector<std::pair<const char*, QColor>> colors = {
      {"赤", QColor(210, 30, 30)},     {"青", QColor(30, 70, 210)},
      {"黄", QColor(235, 205, 20)},    {"紫", QColor(140, 50, 180)},
      {"灰", QColor(130, 130, 130)},   {"ｵﾚﾝｼﾞ", QColor(240, 130, 20)},
      {"薄黄", QColor(250, 240, 150)}, {"緑", QColor(30, 150, 50)},
      {"ﾋﾟﾝｸ", QColor(240, 120, 180)}, {"水", QColor(70, 190, 230)},
      {"水色", QColor(70, 190, 230)},  {"黒", QColor(20, 20, 20)},
      {"白", QColor(250, 250, 250)},   {"茶", QColor(130, 80, 30)},
      {"暗黄", QColor(160, 140, 20)},  {"暗緑", QColor(20, 90, 40)},
  };
  for (const auto& [key, color] : colors) {
    if (name == QString::fromUtf8(key)) return color;
  }
  return QColor(128, 128, 128);
}

// A one-colour pattern: the motif in the colour over a dark ground of the same hue (a light
// ground for black).
QColor GroundOf(const QColor& motif) {
  if (motif.lightness() < 40) return QColor(90, 90, 90);
  return motif.darker(300);
}

const std::vector<PatternEntry>& Entries() {
  static const std::vector<PatternEntry> entries = [] {
    struct Group {
      Family family;
      const char* name;
      std::vector<const char*> colors;
    };
    const std::vector<Group> groups = {
        {Family::Dot, "ﾄﾞｯﾄ", {"赤", "青", "黄", "紫", "灰"}},
        {Family::SmallBlock, "ｽﾓｰﾙﾌﾞﾛｯｸ", {"赤", "青", "ｵﾚﾝｼﾞ", "薄黄", "灰"}},
        {Family::LargeBlock, "ﾗｰｼﾞﾌﾞﾛｯｸ", {"赤", "青", "ｵﾚﾝｼﾞ", "薄黄", "灰"}},
        {Family::Wave, "ｳｪｰﾌﾞ", {"赤", "青", "緑", "黄", "ﾋﾟﾝｸ", "灰"}},
        {Family::Zigzag, "ｷﾞｻﾞｷﾞｻﾞ", {"赤", "青", "緑", "紫", "灰"}},
        {Family::SmallBall, "ｽﾓｰﾙ球", {"赤", "青", "緑", "黄", "水", "灰"}},
        {Family::WireMesh, "鉄網", {"赤", "青", "灰", "黒", "白"}},
        {Family::Stripe, "ｽﾄﾗｲﾌﾟ", {"赤", "青", "黄", "緑", "ｵﾚﾝｼﾞ", "灰"}},
        {Family::Wave2, "ｳｪｰﾌﾞⅡ", {"赤", "青", "緑", "ｵﾚﾝｼﾞ", "茶", "灰"}},
        {Family::LargeBall, "ﾗｰｼﾞ球", {"赤", "青"}},
        {Family::Brick, "ﾚﾝｶﾞ", {"赤", "青", "緑"}},
        {Family::Diamond, "ﾀﾞｲﾔ", {"青", "暗黄", "暗緑", "茶"}},
        {Family::GraphPaper, "方眼紙", {"赤", "青", "緑", "灰"}},
        {Family::Smile, "ｽﾏｲﾙﾏｰｸ", {"赤", "黄", "薄黄", "ｵﾚﾝｼﾞ", "灰"}},
        {Family::Star, "ｽﾀｰ", {"青", "黄", "緑", "紫"}},
        {Family::Heart, "ﾊｰﾄ", {"ﾋﾟﾝｸ", "赤"}},
    };
    const QString space = QString::fromUtf8("　");
    std::vector<PatternEntry> out;
    for (const Group& g : groups) {
      for (const char* c : g.colors) {
        const QColor motif = NamedColor(QString::fromUtf8(c));
        out.push_back({g.family, QString::fromUtf8(g.name) + space + QString::fromUtf8(c),
                       QString(), motif, GroundOf(motif)});
      }
    }
    const std::vector<std::pair<Family, const char*>> pairs = {
        {Family::Dot, "灰"},        {Family::Dot, "赤"},        {Family::Dot, "青"},
        {Family::Dot, "黄"},        {Family::Dot, "緑"},        {Family::Dot, "紫"},
        {Family::SmallBlock, "灰"}, {Family::LargeBlock, "灰"}, {Family::Wave, "灰"},
        {Family::Zigzag, "灰"},     {Family::Zigzag, "赤"},     {Family::Zigzag, "青"},
        {Family::Zigzag, "水色"},   {Family::Zigzag, "緑"},     {Family::Zigzag, "紫"},
        {Family::Diamond, "灰"},    {Family::Diamond, "赤"},    {Family::Diamond, "青"},
        {Family::Diamond, "緑"},    {Family::Diamond, "紫"},    {Family::Star, "灰"},
        {Family::Heart, "灰"},
    };
    const std::vector<const char*> family_names = {
        "ﾄﾞｯﾄ",   "ｽﾓｰﾙﾌﾞﾛｯｸ", "ﾗｰｼﾞﾌﾞﾛｯｸ", "ｳｪｰﾌﾞ", "ｷﾞｻﾞｷﾞｻﾞ", "ｽﾓｰﾙ球",  "鉄網", "ｽﾄﾗｲﾌﾟ",
        "ｳｪｰﾌﾞⅡ", "ﾗｰｼﾞ球",    "ﾚﾝｶﾞ",      "ﾀﾞｲﾔ",  "方眼紙",   "ｽﾏｲﾙﾏｰｸ", "ｽﾀｰ",  "ﾊｰﾄ"};
    for (const auto& [family, color] : pairs) {
      const bool translucent_only =
          family == Family::Diamond && QString::fromUtf8(color) != QString::fromUtf8("灰");
      out.push_back({family,
                     QString::fromUtf8(family_names[static_cast<std::size_t>(family)]) + space +
                         QString::fromUtf8("白-") + QString::fromUtf8(color),
                     QString::fromUtf8(translucent_only ? "XPｽﾀｲﾙ-manifest用(半透明化必須?!)"
                                                        : "XPｽﾀｲﾙ-manifest用"),
                     NamedColor(QString::fromUtf8(color)), QColor(250, 250, 250)});
    }
    return out;
  }();
  return entries;
}

QPainterPath StarPath(QPointF c, double outer, double inner) {
  QPainterPath path;
  for (int i = 0; i < 10; ++i) {
    const double r = i % 2 == 0 ? outer : inner;
    const double a = -M_PI / 2 + i * M_PI / 5;
    const QPointF p(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
    if (i == 0)
      path.moveTo(p);
    else
      path.lineTo(p);
  }
  path.closeSubpath();
  return path;
}

QPainterPath HeartPath(QRectF r) {
  QPainterPath path;
  const double w = r.width();
  const double h = r.height();
  path.moveTo(r.left() + w / 2, r.top() + h);
  path.cubicTo(r.left() - w * 0.1, r.top() + h * 0.55, r.left() + w * 0.1, r.top() - h * 0.1,
               r.left() + w / 2, r.top() + h * 0.28);
  path.cubicTo(r.left() + w * 0.9, r.top() - h * 0.1, r.left() + w * 1.1, r.top() + h * 0.55,
               r.left() + w / 2, r.top() + h);
  return path;
}

void DrawMotif(QPainter& p, Family family, const QColor& c, int size) {
  const double s = size;
  p.setRenderHint(QPainter::Antialiasing, family != Family::SmallBlock &&
                                              family != Family::LargeBlock &&
                                              family != Family::GraphPaper &&
                                              family != Family::Stripe && family != Family::Brick);
  switch (family) {
    case Family::Dot:
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      p.drawEllipse(QPointF(s / 4, s / 4), 1.6, 1.6);
      p.drawEllipse(QPointF(3 * s / 4, 3 * s / 4), 1.6, 1.6);
      break;
    case Family::SmallBlock:
    case Family::LargeBlock: {
      const int cell = family == Family::SmallBlock ? size / 4 : size / 2;
      for (int y = 0; y < size; y += cell)
        for (int x = 0; x < size; x += cell)
          if (((x / cell) + (y / cell)) % 2 == 0) p.fillRect(x, y, cell, cell, c);
      break;
    }
    case Family::Wave:
    case Family::Wave2: {
      QPainterPath path;
      const double amp = family == Family::Wave ? s / 8 : s / 5;
      for (int i = 0; i <= size; ++i) {
        const double y = s / 2 + amp * std::sin(2 * M_PI * i / s);
        if (i == 0)
          path.moveTo(i, y);
        else
          path.lineTo(i, y);
      }
      p.setPen(QPen(c, family == Family::Wave ? 1.5 : 3));
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
      if (family == Family::Wave2) p.drawPath(path.translated(0, -s / 2));
      break;
    }
    case Family::Zigzag: {
      p.setPen(QPen(c, 1.5));
      const QPolygonF zig({QPointF(0, s / 2), QPointF(s / 4, s / 4), QPointF(s / 2, s / 2),
                           QPointF(3 * s / 4, s / 4), QPointF(s, s / 2)});
      p.drawPolyline(zig);
      p.drawPolyline(zig.translated(0, s / 2));
      break;
    }
    case Family::SmallBall:
    case Family::LargeBall: {
      const double r = family == Family::SmallBall ? s / 5 : s / 2.6;
      QRadialGradient g(QPointF(s / 2 - r / 3, s / 2 - r / 3), r * 1.4);
      g.setColorAt(0, c.lighter(180));
      g.setColorAt(1, c.darker(150));
      p.setPen(Qt::NoPen);
      p.setBrush(g);
      p.drawEllipse(QPointF(s / 2, s / 2), r, r);
      break;
    }
    case Family::WireMesh:
      p.setPen(QPen(c, 1.2));
      p.drawLine(QPointF(0, 0), QPointF(s, s));
      p.drawLine(QPointF(0, s), QPointF(s, 0));
      break;
    case Family::Stripe:
      p.fillRect(QRectF(0, 0, s / 2, s), c);
      break;
    case Family::Brick:
      p.setPen(QPen(c, 1));
      p.drawLine(0, 0, size, 0);
      p.drawLine(0, size / 2, size, size / 2);
      p.drawLine(size / 2, 0, size / 2, size / 2);
      p.drawLine(0, size / 2, 0, size);
      break;
    case Family::Diamond:
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      p.drawPolygon(QPolygonF({QPointF(s / 2, s * 0.15), QPointF(s * 0.85, s / 2),
                               QPointF(s / 2, s * 0.85), QPointF(s * 0.15, s / 2)}));
      break;
    case Family::GraphPaper:
      p.setPen(QPen(c, 1));
      p.drawLine(0, 0, size, 0);
      p.drawLine(0, 0, 0, size);
      p.setPen(QPen(c.darker(140), 1, Qt::DotLine));
      p.drawLine(0, size / 2, size, size / 2);
      p.drawLine(size / 2, 0, size / 2, size);
      break;
    case Family::Smile: {
      const QRectF face(s * 0.2, s * 0.2, s * 0.6, s * 0.6);
      p.setPen(QPen(c.darker(160), 1));
      p.setBrush(c);
      p.drawEllipse(face);
      p.setBrush(c.darker(250));
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(s * 0.4, s * 0.42), 1, 1.3);
      p.drawEllipse(QPointF(s * 0.6, s * 0.42), 1, 1.3);
      p.setPen(QPen(c.darker(250), 1));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(s * 0.35, s * 0.4, s * 0.3, s * 0.25), 200 * 16, 140 * 16);
      break;
    }
    case Family::Star:
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      p.drawPath(StarPath(QPointF(s / 2, s / 2), s * 0.35, s * 0.15));
      break;
    case Family::Heart:
      p.setPen(Qt::NoPen);
      p.setBrush(c);
      p.drawPath(HeartPath(QRectF(s * 0.22, s * 0.25, s * 0.56, s * 0.5)));
      break;
  }
}

int TileSize(Family family) {
  switch (family) {
    case Family::Dot:
    case Family::WireMesh:
    case Family::Stripe:
      return 8;
    case Family::SmallBlock:
    case Family::Zigzag:
    case Family::SmallBall:
    case Family::Wave:
    case Family::GraphPaper:
    case Family::Diamond:
      return 16;
    default:
      return 24;
  }
}

Qt::BrushStyle QtHatch(int style) {
  switch (style) {
    case 0:
      return Qt::HorPattern;
    case 1:
      return Qt::VerPattern;
    case 2:
      return Qt::FDiagPattern;  // falling to the right
    case 3:
      return Qt::BDiagPattern;  // rising to the right
    case 4:
      return Qt::CrossPattern;
    default:
      return Qt::DiagCrossPattern;
  }
}

}  // namespace

QStringList HatchBoxEntries() {
  return {QString::fromUtf8("左下がりの斜線"), QString::fromUtf8("碁盤目"),
          QString::fromUtf8("斜めの碁盤目"),   QString::fromUtf8("右下がりの斜線"),
          QString::fromUtf8("水平線"),         QString::fromUtf8("垂直線")};
}

int HatchStyleOfEntry(int entry) {
  static constexpr int kStyles[kHatchStyles] = {3, 4, 5, 2, 0, 1};
  return entry >= 0 && entry < kHatchStyles ? kStyles[entry] : -1;
}

int EntryOfHatchStyle(int style) {
  for (int entry = 0; entry < kHatchStyles; ++entry)
    if (HatchStyleOfEntry(entry) == style) return entry;
  return -1;
}

// Names and remarks come from the core's pattern table; Entries() holds how each one is drawn.
QString BackgroundPatternName(int pattern) {
  if (pattern < 0 || pattern >= kBackgroundPatternCount) return QString();
  return QString::fromStdString(BackgroundPatternEntries()[static_cast<std::size_t>(pattern)].name);
}

QString BackgroundPatternRemark(int pattern) {
  if (pattern < 0 || pattern >= kBackgroundPatternCount) return QString();
  return QString::fromStdString(
      BackgroundPatternEntries()[static_cast<std::size_t>(pattern)].remark);
}

QPixmap BackgroundPatternTile(int pattern) {
  if (pattern < 0 || pattern >= kBackgroundPatternCount) return QPixmap();
  const PatternEntry& e = Entries()[static_cast<std::size_t>(pattern)];
  const int size = TileSize(e.family);
  QPixmap tile(size, size);
  tile.fill(e.ground);
  QPainter p(&tile);
  DrawMotif(p, e.family, e.motif, size);
  return tile;
}

QBrush BackgroundBrush(int hatch_pattern, std::uint32_t line_color, std::uint32_t back_color) {
  if (hatch_pattern >= 0 && hatch_pattern < kHatchStyles) {
    QPixmap tile(8, 8);
    tile.fill(FromColorRef(back_color));
    QPainter p(&tile);
    p.fillRect(tile.rect(), QBrush(FromColorRef(line_color), QtHatch(hatch_pattern)));
    p.end();
    return QBrush(tile);
  }
  const QPixmap tile = BackgroundPatternTile(hatch_pattern - kHatchStyles);
  if (tile.isNull()) return QBrush(FromColorRef(back_color));
  return QBrush(tile);
}

}  // namespace kelvora
