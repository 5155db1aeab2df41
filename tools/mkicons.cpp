// Draws the program's icons and writes them as .ico files:
//
//     mkicons <folder>
//
// writes app.ico (icon 128: 16, 20, 24, 32, 40, 48 and 256 pixels), small.ico
// (icon 147: 16 to 48 pixels, the same pictures) and kind_133.ico ...
// kind_146.ico (the clip kinds: 32, 40, 48 and 64 pixels). These are the sizes
// Windows asks for at 100 % to 200 % display scale. Each size is drawn for its
// own pixel grid, never scaled from another, so that every one is sharp.
//
// Every image up to 64 pixels is 24-bit colour with a 1-bit mask, the form the
// program's image list takes. The 256-pixel image is stored as a PNG, the
// usual form at that size: about 3.5 KB, where a bitmap would add 200 KB to
// the program. The output depends on nothing but this file (the PNG's
// compressor is below), so the committed icons can be checked against a fresh
// run.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

struct Pt {
    int x, y;
};

// Colours, named by what they paint.
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPageEdge{96, 96, 96};
constexpr Rgb kFold{200, 200, 200};
constexpr Rgb kTextLine{72, 72, 72};
constexpr Rgb kQuestion{0, 72, 200};
constexpr Rgb kFrame{120, 72, 32};
constexpr Rgb kSky{150, 200, 255};
constexpr Rgb kSun{255, 210, 0};
constexpr Rgb kHill{40, 150, 40};
constexpr Rgb kHillDark{20, 100, 30};
constexpr Rgb kNote{24, 32, 112};
constexpr Rgb kFolderBack{210, 160, 30};
constexpr Rgb kFolderFront{250, 210, 80};
constexpr Rgb kFolderEdge{130, 90, 10};
constexpr Rgb kWindowEdge{80, 80, 80};
constexpr Rgb kTitleBar{40, 90, 190};
constexpr Rgb kTag{230, 90, 20};
constexpr Rgb kOcean{30, 100, 200};
constexpr Rgb kOceanEdge{10, 50, 120};
constexpr Rgb kGrid{190, 225, 255};
constexpr Rgb kRed{210, 30, 30};
constexpr Rgb kBlue{30, 60, 200};
constexpr Rgb kGreen{20, 140, 40};
constexpr Rgb kPurple{130, 40, 150};
constexpr Rgb kCellLine{128, 128, 128};
constexpr Rgb kHeader{110, 170, 110};
constexpr Rgb kRowHead{215, 215, 215};
constexpr Rgb kCellMark{40, 40, 40};
constexpr Rgb kBoard{170, 110, 50};
constexpr Rgb kBoardEdge{100, 60, 20};
constexpr Rgb kClip{200, 200, 210};
constexpr Rgb kClipEdge{90, 90, 100};
constexpr Rgb kRibbon{220, 20, 40};
constexpr Rgb kYellow{255, 230, 0};

// A square image: colour per pixel and whether the pixel is painted at all.
// Pixels never painted stay transparent in the icon's mask.
class Canvas {
public:
    explicit Canvas(int nSize)
        : m_nSize(nSize), m_px(nSize * nSize, kBlack), m_opaque(nSize * nSize, false)
    {
    }

    int Size() const { return m_nSize; }
    bool Opaque(int x, int y) const { return m_opaque[y * m_nSize + x]; }
    Rgb At(int x, int y) const { return m_px[y * m_nSize + x]; }

    void Set(int x, int y, Rgb c)
    {
        if (x < 0 || y < 0 || x >= m_nSize || y >= m_nSize)
            return;
        m_px[y * m_nSize + x] = c;
        m_opaque[y * m_nSize + x] = true;
    }

    // Filled rectangle, both corners included.
    void Fill(int x0, int y0, int x1, int y1, Rgb c)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Set(x, y, c);
    }

    // Outline nPen pixels wide, inside the rectangle, both corners included.
    void Frame(int x0, int y0, int x1, int y1, Rgb c, int nPen = 1)
    {
        Fill(x0, y0, x1, y0 + nPen - 1, c);
        Fill(x0, y1 - nPen + 1, x1, y1, c);
        Fill(x0, y0, x0 + nPen - 1, y1, c);
        Fill(x1 - nPen + 1, y0, x1, y1, c);
    }

    // Bresenham line between two pixels; a pen wider than one paints a
    // pen-by-pen square whose top left corner follows the line.
    void Line(int x0, int y0, int x1, int y1, Rgb c, int nPen = 1)
    {
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            Fill(x0, y0, x0 + nPen - 1, y0 + nPen - 1, c);
            if (x0 == x1 && y0 == y1)
                break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }

    // Filled polygon. Vertices are pixel corners: the square (0,0) (2,0) (2,2)
    // (0,2) covers four pixels. A pixel is painted when its centre is inside
    // (even-odd rule), worked out in doubled integer coordinates.
    void Polygon(std::initializer_list<Pt> pts, Rgb c)
    {
        const std::vector<Pt> v(pts);
        for (int y = 0; y < m_nSize; ++y) {
            for (int x = 0; x < m_nSize; ++x) {
                const long long px = 2 * x + 1, py = 2 * y + 1;
                bool bInside = false;
                for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
                    const long long xi = 2 * v[i].x, yi = 2 * v[i].y;
                    const long long xj = 2 * v[j].x, yj = 2 * v[j].y;
                    if ((yi > py) == (yj > py))
                        continue;
                    const long long lhs = (px - xi) * (yj - yi), rhs = (py - yi) * (xj - xi);
                    if (yj > yi ? lhs < rhs : lhs > rhs)
                        bInside = !bInside;
                }
                if (bInside)
                    Set(x, y, c);
            }
        }
    }

    // Whether a pixel's centre lies inside the ellipse that fills the box
    // (x0,y0)..(x1,y1), corners included.
    static bool InEllipse(int x, int y, int x0, int y0, int x1, int y1)
    {
        const long long w = x1 - x0 + 1, h = y1 - y0 + 1;
        const long long dx = 2 * x - x0 - x1, dy = 2 * y - y0 - y1;
        return dx * dx * h * h + dy * dy * w * w <= w * w * h * h;
    }

    void Ellipse(int x0, int y0, int x1, int y1, Rgb c)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (InEllipse(x, y, x0, y0, x1, y1))
                    Set(x, y, c);
    }

    // Whether a pixel lies in the box (x0,y0)..(x1,y1) with its corners
    // rounded to quarter circles of radius r.
    static bool InRoundRect(int x, int y, int x0, int y0, int x1, int y1, int r)
    {
        if (x < x0 || x > x1 || y < y0 || y > y1)
            return false;
        const int cx = x < x0 + r ? x0 + r : x > x1 - r ? x1 - r : x;
        const int cy = y < y0 + r ? y0 + r : y > y1 - r ? y1 - r : y;
        const long long dx = x - cx, dy = y - cy;
        return dx * dx + dy * dy <= static_cast<long long>(r) * r + r;
    }

    void RoundRect(int x0, int y0, int x1, int y1, int r, Rgb c)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (InRoundRect(x, y, x0, y0, x1, y1, r))
                    Set(x, y, c);
    }

    // A rounded box nPen pixels wide inside (x0,y0)..(x1,y1), filled inside.
    void RoundBox(int x0, int y0, int x1, int y1, int r, Rgb fill, Rgb edge, int nPen)
    {
        RoundRect(x0, y0, x1, y1, r, edge);
        RoundRect(x0 + nPen, y0 + nPen, x1 - nPen, y1 - nPen, std::max(0, r - nPen), fill);
    }

    // A small bitmap given as rows of '#' (painted) and anything else (left
    // alone), each cell scale by scale pixels.
    void Sprite(int x, int y, std::initializer_list<const char*> rows, Rgb c, int nScale = 1)
    {
        Sprite(x, y, std::vector<const char*>(rows), c, nScale);
    }

    void Sprite(int x, int y, const std::vector<const char*>& rows, Rgb c, int nScale = 1)
    {
        int row = 0;
        for (const char* r : rows) {
            for (int col = 0; r[col] != '\0'; ++col)
                if (r[col] == '#')
                    Fill(x + col * nScale, y + row * nScale, x + (col + 1) * nScale - 1,
                         y + (row + 1) * nScale - 1, c);
            ++row;
        }
    }

private:
    int m_nSize;
    std::vector<Rgb> m_px;
    std::vector<bool> m_opaque;
};

// Where a picture laid out on a base grid (32 pixels for most pictures) falls
// on an n-pixel image: grid line v becomes pixel edge v * n / base, rounded.
// Shapes placed this way keep their proportions, and each size is still drawn
// pixel by pixel on its own grid.
class Grid {
public:
    explicit Grid(int nSize, int nBase = 32) : m_nSize(nSize), m_nBase(nBase) {}

    // The first pixel of grid pixel v (grid line v).
    int At(int v) const { return (v * m_nSize + m_nBase / 2) / m_nBase; }
    // The last pixel of grid pixel v.
    int Last(int v) const { return At(v + 1) - 1; }
    // A length of v grid pixels, at least one pixel.
    int Len(int v) const { return std::max(1, At(v)); }
    // The width of outlines: one pixel up to 48, wider from 64 on.
    int Pen() const { return m_nSize < 64 ? 1 : m_nSize / m_nBase; }

private:
    int m_nSize, m_nBase;
};

// ---------------------------------------------------------------------------
// Lettering. Two pixel fonts: 5 by 7 cells, and 7 by 9 cells for the 40-pixel
// badges, where 5 by 7 is either too small at double size or too wide at
// triple. Lower case sits on the same baseline as capitals; each letter has
// its own width, with one blank column between letters.

struct Glyph {
    char ch;
    std::vector<const char*> rows;
};

const std::vector<Glyph>& Font5x7()
{
    static const std::vector<Glyph> font = {
        {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
        {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
        {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
        {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
        {'h', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    };
    return font;
}

const std::vector<Glyph>& Font7x9()
{
    static const std::vector<Glyph> font = {
        {'D', {"#####.", "#....#", "#....#", "#....#", "#....#", "#....#", "#....#", "#....#",
               "#####."}},
        {'F', {"######", "#.....", "#.....", "#.....", "#####.", "#.....", "#.....", "#.....",
               "#....."}},
        {'w', {".......", ".......", ".......", "#.....#", "#.....#", "#..#..#", "#..#..#",
               "#..#..#", ".##.##."}},
        {'h', {"#.....", "#.....", "#.....", "#.###.", "##...#", "#....#", "#....#", "#....#",
               "#....#"}},
    };
    return font;
}

const Glyph* FindGlyph(const std::vector<Glyph>& font, char ch)
{
    for (const Glyph& g : font)
        if (g.ch == ch)
            return &g;
    return nullptr;
}

// Width and height of a text in pixels.
Pt TextSize(const std::vector<Glyph>& font, const char* s, int nScale)
{
    int cols = 0;
    for (const char* p = s; *p != '\0'; ++p)
        if (const Glyph* g = FindGlyph(font, *p))
            cols += static_cast<int>(std::strlen(g->rows[0])) + (p == s ? 0 : 1);
    return {cols * nScale, static_cast<int>(font[0].rows.size()) * nScale};
}

// Text centred in the box (x0,y0)..(x1,y1); an odd pixel left over goes to
// the left and the top.
void CentredText(Canvas& c, int x0, int y0, int x1, int y1, const std::vector<Glyph>& font,
                 const char* s, Rgb col, int nScale)
{
    const Pt size = TextSize(font, s, nScale);
    int x = (x0 + x1 + 2 - size.x) / 2;
    const int y = (y0 + y1 + 2 - size.y) / 2;
    for (; *s != '\0'; ++s) {
        const Glyph* g = FindGlyph(font, *s);
        if (g == nullptr)
            continue;
        c.Sprite(x, y, g->rows, col, nScale);
        x += (static_cast<int>(std::strlen(g->rows[0])) + 1) * nScale;
    }
}

// ---------------------------------------------------------------------------
// The kinds' pictures, laid out on the 32-pixel grid and drawn at 32, 40, 48
// and 64 pixels. At 32 pixels the grid is the image itself.

// Where writing goes on a sheet: the left edge, and the first pixel row below
// the folded corner.
struct Sheet {
    int left, top;
};

// A sheet of paper with its top right corner folded over.
Sheet DrawPage(Canvas& c)
{
    const Grid g(c.Size());
    const int w = g.Pen();
    const int l = g.At(6), t = g.At(2), r = g.Last(25), b = g.Last(29);
    const int f = g.At(6);  // the folded corner's side
    const int fx = r - f;
    c.Polygon({{l, t}, {fx + 1, t}, {r + 1, t + f}, {r + 1, b + 1}, {l, b + 1}}, kWhite);
    c.Polygon({{fx, t}, {fx, t + f + 1}, {r + 1, t + f + 1}}, kFold);
    c.Fill(l, t, fx + w - 1, t + w - 1, kPageEdge);
    c.Line(fx, t, r - w + 1, t + f - w + 1, kPageEdge, w);
    c.Fill(r - w + 1, t + f, r, b, kPageEdge);
    c.Fill(l, b - w + 1, r, b, kPageEdge);
    c.Fill(l, t, l + w - 1, b, kPageEdge);
    c.Fill(fx, t, fx + w - 1, t + f, kPageEdge);
    c.Fill(fx, t + f - w + 1, r, t + f, kPageEdge);
    return {l, t + f + 1};
}

// The question mark on the "other" sheet, one drawing per size, strokes
// about a tenth of the image wide.
std::vector<const char*> QuestionMark(int n)
{
    switch (n) {
    case 32:
        return {
            "..#######..",
            ".#########.",
            "####...####",
            "###.....###",
            "........###",
            ".......####",
            ".....#####.",
            "....#####..",
            "....###....",
            "....###....",
            "...........",
            "....###....",
            "....###....",
        };
    case 40:
        return {
            "...#######...",
            ".###########.",
            "####.....####",
            "###.......###",
            "###.......###",
            "..........###",
            ".........####",
            "........####.",
            "......#####..",
            ".....####....",
            ".....###.....",
            ".....###.....",
            ".............",
            ".....###.....",
            ".....###.....",
            ".....###.....",
        };
    case 48:
        return {
            ".....######.....",
            "..############..",
            ".##############.",
            "#####......#####",
            "####........####",
            "####........####",
            "............####",
            "...........#####",
            "..........#####.",
            "........######..",
            "......######....",
            "......#####.....",
            "......####......",
            "......####......",
            "................",
            "................",
            "......####......",
            "......####......",
            "......####......",
        };
    default:
        return {
            ".......########.......",
            "....##############....",
            "..##################..",
            ".####################.",
            "#######........#######",
            "######..........######",
            "######..........######",
            "######..........######",
            "................######",
            "...............#######",
            "..............#######.",
            ".............#######..",
            "...........########...",
            ".........########.....",
            "........#######.......",
            "........######........",
            "........######........",
            "........######........",
            "........######........",
            "......................",
            "......................",
            "......................",
            "........######........",
            "........######........",
            "........######........",
            "........######........",
        };
    }
}

void DrawOther(Canvas& c)
{
    DrawPage(c);
    const Grid g(c.Size());
    const std::vector<const char*> mark = QuestionMark(c.Size());
    const int w = static_cast<int>(std::strlen(mark[0])), h = static_cast<int>(mark.size());
    // Centred on the sheet, an odd pixel to the left and down.
    const int l = g.At(6), t = g.At(2), r = g.Last(25), b = g.Last(29);
    c.Sprite((l + r + 1 - w) / 2, (t + b + 2 - h) / 2, mark, kQuestion);
}

void DrawImage(Canvas& c)
{
    const Grid g(c.Size());
    c.Fill(g.At(2), g.At(5), g.Last(29), g.Last(26), kFrame);
    c.Frame(g.At(2), g.At(5), g.Last(29), g.Last(26), kBoardEdge, g.Pen());
    c.Fill(g.At(4), g.At(7), g.Last(27), g.Last(24), kSky);
    c.Ellipse(g.At(19), g.At(9), g.Last(24), g.Last(14), kSun);
    c.Polygon({{g.At(4), g.At(25)}, {g.At(11), g.At(13)}, {g.At(18), g.At(25)}}, kHillDark);
    c.Polygon({{g.At(9), g.At(25)}, {g.At(20), g.At(15)}, {g.At(28), g.At(23)}, {g.At(28), g.At(25)}},
              kHill);
    c.Fill(g.At(4), g.At(23), g.Last(27), g.Last(24), kHill);
}

void DrawSound(Canvas& c)
{
    // Two beamed eighth notes; both stems as wide as each other, on the right
    // of their heads.
    const Grid g(c.Size());
    const int stem = g.Len(2);
    const int x1 = g.Last(12) - stem + 1, x2 = g.Last(25) - stem + 1;
    c.Ellipse(g.At(4), g.At(21), g.Last(12), g.Last(27), kNote);
    c.Ellipse(g.At(17), g.At(18), g.Last(25), g.Last(24), kNote);
    c.Fill(x1, g.At(7), g.Last(12), g.Last(24), kNote);
    c.Fill(x2, g.At(4), g.Last(25), g.Last(21), kNote);
    c.Polygon({{x1, g.At(7)}, {g.At(26), g.At(4)}, {g.At(26), g.At(9)}, {x1, g.At(12)}}, kNote);
}

// Rows of writing on a sheet: first row, distance between rows and the
// rows' height, per size.
struct Rows {
    int top, pitch, height;
};

Rows TextRows(int n)
{
    switch (n) {
    case 32: return {11, 3, 1};
    case 40: return {14, 4, 1};
    case 48: return {16, 5, 1};
    default: return {22, 6, 2};
    }
}

void DrawText(Canvas& c)
{
    const Sheet s = DrawPage(c);
    const Grid g(c.Size());
    const Rows rows = TextRows(c.Size());
    const int widths[] = {14, 12, 14, 13, 14, 8};
    const int x = s.left + g.Len(3);
    for (int i = 0; i < 6; ++i) {
        const int y = rows.top + rows.pitch * i;
        c.Fill(x, y, x + g.Len(widths[i]) - 1, y + rows.height - 1, kTextLine);
    }
}

void DrawFile(Canvas& c)
{
    const Grid g(c.Size());
    const int w = g.Pen();
    c.Fill(g.At(3), g.At(6), g.Last(13), g.Last(10), kFolderBack);
    c.Frame(g.At(3), g.At(6), g.Last(13), g.Last(10), kFolderEdge, w);
    c.Fill(g.At(3), g.At(9), g.Last(28), g.Last(26), kFolderBack);
    c.Frame(g.At(3), g.At(9), g.Last(28), g.Last(26), kFolderEdge, w);
    // The front flap, leaning back; its edges drawn inside it.
    const int top = g.At(13), bottom = g.Last(26);
    c.Polygon({{g.At(6), top}, {g.At(31), top}, {g.At(28), bottom + 1}, {g.At(3), bottom + 1}},
              kFolderFront);
    c.Fill(g.At(6), top, g.At(31) - 1, top + w - 1, kFolderEdge);
    c.Line(g.At(31) - w, top, g.Last(28) - w + 1, bottom - w + 1, kFolderEdge, w);
    c.Line(g.At(6), top, g.At(3), bottom - w + 1, kFolderEdge, w);
    c.Fill(g.At(3), bottom - w + 1, g.Last(28), bottom, kFolderEdge);
}

void DrawHtml(Canvas& c)
{
    // A browser window holding a tag.
    const Grid g(c.Size());
    const int w = g.Pen();
    const int x0 = g.At(2), y0 = g.At(4), x1 = g.Last(29), y1 = g.Last(27);
    c.Fill(x0, y0, x1, y1, kWhite);
    c.Frame(x0, y0, x1, y1, kWindowEdge, w);
    const int barBottom = g.Last(8);
    c.Fill(x0 + w, y0 + w, x1 - w, barBottom, kTitleBar);
    // Two square buttons, centred in the title bar.
    const int button = g.Len(2), gap = g.Len(1);
    const int by = y0 + w + (barBottom - y0 - w + 1 - button) / 2;
    const int bx = g.Last(25) - button + 1;
    c.Fill(bx, by, bx + button - 1, by + button - 1, kWhite);
    c.Fill(bx - gap - button, by, bx - gap - 1, by + button - 1, kWhite);
    // The tag: two chevrons at 45 degrees, centred below the title bar.
    const int pen = g.Len(2), arm = g.Len(6);
    const int tipY = (barBottom + 1 + y1 - w + 1 - pen) / 2;
    const int left = x0 + w + g.Len(4), right = x1 - w - g.Len(4) + 1 - (pen - 1);
    c.Line(left + arm, tipY - arm, left, tipY, kTag, pen);
    c.Line(left, tipY, left + arm, tipY + arm, kTag, pen);
    c.Line(right - arm, tipY - arm, right, tipY, kTag, pen);
    c.Line(right, tipY, right - arm, tipY + arm, kTag, pen);
}

void DrawUrl(Canvas& c)
{
    // A globe: ocean, outline, equator, tropics, the central meridian and an
    // ellipse of two more.
    const Grid g(c.Size());
    const int w = g.Pen();
    const int x0 = g.At(3), x1 = g.Last(28);
    const int size = x1 - x0 + 1;
    int axis = g.Len(2);  // equator and central meridian, centred exactly
    if ((axis + size) % 2 != 0)
        ++axis;
    const int a0 = x0 + (size - axis) / 2, a1 = a0 + axis - 1;
    const int m0 = g.At(9), m1 = g.Last(22);
    const int tropic = g.Len(5);
    for (int y = x0; y <= x1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (!Canvas::InEllipse(x, y, x0, x0, x1, x1))
                continue;
            Rgb col = kOcean;
            const bool bMeridian =
                (Canvas::InEllipse(x, y, m0, x0, m1, x1) &&
                 !Canvas::InEllipse(x, y, m0 + w, x0 + w, m1 - w, x1 - w)) ||
                (x >= a0 && x <= a1);
            const bool bParallel = (y >= a0 && y <= a1) || (y >= x0 + tropic && y < x0 + tropic + w) ||
                                   (y <= x1 - tropic && y > x1 - tropic - w);
            if (bMeridian || bParallel)
                col = kGrid;
            if (!Canvas::InEllipse(x, y, x0 + w, x0 + w, x1 - w, x1 - w))
                col = kOceanEdge;
            c.Set(x, y, col);
        }
    }
}

// The formatted lines of the rich-text sheet per size: bold and plain
// heights and the gap between lines.
struct RtfRows {
    int bold, plain, gap;
};

RtfRows RtfLayout(int n)
{
    switch (n) {
    case 32: return {2, 1, 2};
    case 40: return {2, 1, 3};
    case 48: return {3, 1, 3};
    default: return {4, 2, 4};
    }
}

void DrawRtf(Canvas& c)
{
    const Sheet s = DrawPage(c);
    const Grid g(c.Size());
    const RtfRows rows = RtfLayout(c.Size());
    // Bold, coloured and plain lines: formatted text.
    struct Line {
        int width;
        bool bBold;
        Rgb col;
    };
    const Line lines[] = {
        {9, true, kBlack}, {14, false, kRed}, {14, true, kBlue}, {12, false, kGreen}, {10, true, kPurple},
    };
    const int x = s.left + g.Len(3);
    int y = g.At(11);
    for (const Line& l : lines) {
        const int h = l.bBold ? rows.bold : rows.plain;
        c.Fill(x, y, x + g.Len(l.width) - 1, y + h - 1, l.col);
        y += h + rows.gap;
    }
}

// The table's column and row lines per size.
struct TableLines {
    std::array<int, 5> cols;
    std::array<int, 7> rows;
};

TableLines TableLayout(int n)
{
    switch (n) {
    case 32: return {{2, 9, 16, 23, 29}, {4, 8, 12, 16, 20, 24, 28}};
    case 40: return {{4, 12, 20, 28, 36}, {5, 10, 15, 20, 25, 30, 35}};
    case 48: return {{4, 14, 24, 34, 44}, {6, 12, 18, 24, 30, 36, 42}};
    default: return {{4, 18, 32, 46, 58}, {8, 16, 24, 32, 40, 48, 56}};
    }
}

void DrawTable(Canvas& c)
{
    const Grid g(c.Size());
    const int w = g.Pen();
    const TableLines t = TableLayout(c.Size());
    const int x0 = t.cols.front(), x1 = t.cols.back() + w - 1;
    const int y0 = t.rows.front(), y1 = t.rows.back() + w - 1;
    c.Fill(x0, y0, x1, y1, kWhite);
    c.Fill(x0, y0, x1, t.rows[1], kHeader);
    c.Fill(x0, y0, t.cols[1], y1, kRowHead);
    c.Fill(x0, y0, t.cols[1], t.rows[1], kHeader);
    for (int x : t.cols)
        c.Fill(x, y0, x + w - 1, y1, kCellLine);
    for (int y : t.rows)
        c.Fill(x0, y, x1, y + w - 1, kCellLine);
    // A figure in every other cell, a pixel from the cell's left side, three
    // short of its right side, and in the middle of its height.
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 3; ++col) {
            if ((row + col) % 2 != 0)
                continue;
            const int cx0 = t.cols[col + 1] + w, cx1 = t.cols[col + 2] - 1;
            const int cy0 = t.rows[row + 1] + w, cy1 = t.rows[row + 2] - 1;
            const int y = cy0 + (cy1 - cy0 + 1 - w) / 2;
            c.Fill(cx0 + w, y, cx1 - 2 * w, y + w - 1, kCellMark);
        }
    }
}

// A square badge with cut corners, the mark of another program.
struct Badge {
    int x0, y0, x1, y1;  // inside the edge
};

Badge DrawBadge(Canvas& c, Rgb fill, Rgb edge)
{
    const Grid g(c.Size());
    const int w = g.Pen();
    const int x0 = g.At(2), x1 = g.Last(29);
    for (int y = x0; y <= x1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const int dx = std::min(x - x0, x1 - x), dy = std::min(y - x0, x1 - y);
            if (dx + dy < w)
                continue;  // the cut corner
            c.Set(x, y, dx < w || dy < w ? edge : fill);
        }
    }
    return {x0 + w, x0 + w, x1 - w, x1 - w};
}

// A badge's letters: a pixel font at a whole scale that gives about the
// proportions of the 32-pixel badge.
void BadgeText(Canvas& c, const Badge& b, const char* s)
{
    const bool bOne = s[1] == '\0';
    switch (c.Size()) {
    case 32:
        CentredText(c, b.x0, b.y0, b.x1, b.y1, Font5x7(), s, kWhite, bOne ? 3 : 2);
        break;
    case 40:
        if (bOne)
            CentredText(c, b.x0, b.y0, b.x1, b.y1, Font5x7(), s, kWhite, 4);
        else
            CentredText(c, b.x0, b.y0, b.x1, b.y1, Font7x9(), s, kWhite, 2);
        break;
    case 48:
        CentredText(c, b.x0, b.y0, b.x1, b.y1, Font5x7(), s, kWhite, bOne ? 5 : 3);
        break;
    default:
        CentredText(c, b.x0, b.y0, b.x1, b.y1, Font5x7(), s, kWhite, bOne ? 6 : 4);
        break;
    }
}

void DrawPaintShopPro(Canvas& c)
{
    BadgeText(c, DrawBadge(c, {120, 40, 160}, {60, 10, 90}), "P");
}

void DrawDreamweaver(Canvas& c)
{
    BadgeText(c, DrawBadge(c, {0, 120, 90}, {0, 60, 40}), "Dw");
}

void DrawFireworks(Canvas& c)
{
    BadgeText(c, DrawBadge(c, {230, 110, 10}, {130, 50, 0}), "Fw");
}

void DrawFlash(Canvas& c)
{
    DrawBadge(c, {190, 20, 30}, {100, 0, 10});
    const Grid g(c.Size());
    c.Polygon({{g.At(17), g.At(3)}, {g.At(25), g.At(3)}, {g.At(19), g.At(13)}, {g.At(24), g.At(13)},
               {g.At(11), g.At(29)}, {g.At(14), g.At(17)}, {g.At(8), g.At(17)}},
              kYellow);
}

void DrawFreehand(Canvas& c)
{
    BadgeText(c, DrawBadge(c, {30, 80, 190}, {10, 30, 100}), "Fh");
}

// ---------------------------------------------------------------------------
// The program's own icon: a clipboard with a sheet and a red bookmark ribbon,
// the sign of something kept. The small sizes (16 to 24) have the clip, the
// board, a plain sheet and a few lines; from 32 on the sheet has an edge and
// the clip a slot.

// The bottom of a ribbon between x0 and x1 is cut in a V, leaving a tail of
// nPen pixels on either side.
void RibbonCut(Canvas& c, int x0, int x1, int bottom, int nPen)
{
    for (int k = 0;; ++k) {
        const int l = x0 + nPen + k, r = x1 - nPen - k;
        if (l > r)
            break;
        c.Fill(l, bottom - k, r, bottom - k, kWhite);
    }
}

// The small picture, laid out by hand for each size.
struct SmallApp {
    int boardX0, boardY0, boardX1, boardY1;
    int paperX0, paperY0, paperX1, paperY1;
    int clipX0, clipX1, clipY1;
    int ribbonX0, ribbonY1;
    int lineX, lineTop, linePitch, lineCount, lineWidth, lastWidth;
    bool bSlot;
};

SmallApp SmallAppLayout(int n)
{
    switch (n) {
    case 16: return {2, 2, 13, 15, 4, 4, 11, 13, 5, 10, 3, 9, 10, 5, 6, 2, 3, 4, 3, false};
    case 20: return {3, 2, 16, 19, 5, 5, 14, 17, 6, 13, 4, 11, 12, 6, 8, 2, 4, 4, 3, false};
    default: return {3, 3, 20, 23, 5, 6, 18, 21, 8, 15, 5, 14, 15, 7, 9, 3, 4, 6, 4, true};
    }
}

void DrawAppSmall(Canvas& c)
{
    const SmallApp a = SmallAppLayout(c.Size());
    c.Fill(a.boardX0, a.boardY0, a.boardX1, a.boardY1, kBoard);
    c.Frame(a.boardX0, a.boardY0, a.boardX1, a.boardY1, kBoardEdge);
    c.Fill(a.paperX0, a.paperY0, a.paperX1, a.paperY1, kWhite);
    for (int i = 0; i < a.lineCount; ++i) {
        const int y = a.lineTop + a.linePitch * i;
        const int width = i + 1 == a.lineCount ? a.lastWidth : a.lineWidth;
        c.Fill(a.lineX, y, a.lineX + width - 1, y, kTextLine);
    }
    c.Fill(a.ribbonX0, a.paperY0, a.paperX1, a.ribbonY1, kRibbon);
    RibbonCut(c, a.ribbonX0, a.paperX1, a.ribbonY1, 1);
    c.Fill(a.clipX0, 0, a.clipX1, a.clipY1, kClip);
    c.Frame(a.clipX0, 0, a.clipX1, a.clipY1, kClipEdge);
    if (a.bSlot) {
        const int mid = (a.clipX0 + a.clipX1) / 2;
        c.Fill(mid, 1, mid + 1, 2, kClipEdge);
    }
}

// 32, 40 and 48 pixels, on the 32-pixel grid.
void DrawAppLarge(Canvas& c)
{
    const Grid g(c.Size());
    const int w = g.Pen();
    c.Fill(g.At(4), g.At(4), g.Last(27), g.Last(30), kBoard);
    c.Frame(g.At(4), g.At(4), g.Last(27), g.Last(30), kBoardEdge, w);
    c.Fill(g.At(7), g.At(8), g.Last(24), g.Last(27), kWhite);
    c.Frame(g.At(7), g.At(8), g.Last(24), g.Last(27), kPageEdge, w);
    const int pitch = g.Len(3);
    for (int i = 0; i < 5; ++i) {
        const int y = g.At(12) + pitch * i;
        c.Fill(g.At(9), y, g.At(9) + g.Len(i < 4 ? 9 : 6) - 1, y + w - 1, kTextLine);
    }
    const int rx0 = g.At(19), rx1 = g.Last(24), ry1 = g.Last(23);
    c.Fill(rx0, g.At(8), rx1, ry1, kRibbon);
    RibbonCut(c, rx0, rx1, ry1, w);
    c.Fill(g.At(10), g.At(1), g.Last(21), g.Last(6), kClip);
    c.Frame(g.At(10), g.At(1), g.Last(21), g.Last(6), kClipEdge, w);
    c.Fill(g.At(14), g.At(1) + w, g.Last(17), g.Last(3), kClipEdge);  // a slot in the top edge
}

// 256 pixels, for Explorer's large views: the same picture with finer
// edges, rounded corners and a few more lines of writing.
void DrawApp256(Canvas& c)
{
    // The board, with rounded corners.
    c.RoundBox(30, 28, 225, 250, 16, kBoard, kBoardEdge, 6);
    // The sheet, with a grey shadow along its right and bottom sides.
    c.Fill(62, 70, 203, 229, kFold);
    c.Fill(56, 64, 197, 223, kWhite);
    c.Frame(56, 64, 197, 223, kPageEdge, 3);
    for (int i = 0; i < 7; ++i) {
        const int y = 94 + 18 * i;
        c.Fill(74, y, i < 6 ? 139 : 118, y + 5, kTextLine);
    }
    // The ribbon, flush with the sheet's right side, cut in a V.
    c.Fill(150, 64, 197, 196, kRibbon);
    RibbonCut(c, 150, 197, 196, 3);
    // The clip: a plate with a slot, over the board's top edge.
    c.RoundBox(78, 6, 177, 56, 10, kClip, kClipEdge, 5);
    c.RoundRect(108, 16, 147, 30, 6, kClipEdge);
    c.Fill(88, 46, 167, 50, kClipEdge);
}

void DrawApp(Canvas& c)
{
    if (c.Size() < 32)
        DrawAppSmall(c);
    else if (c.Size() < 256)
        DrawAppLarge(c);
    else
        DrawApp256(c);
}

// ---------------------------------------------------------------------------
// PNG, for the 256-pixel image: RGBA, 8 bits a channel, the alpha 0 or 255
// as the mask would have it. The compressor is plain LZ77 with the fixed
// Huffman codes of deflate, enough for pictures made of flat colours.

void Put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, unsigned long v)
{
    Put16(out, static_cast<unsigned>(v & 0xFFFF));
    Put16(out, static_cast<unsigned>(v >> 16));
}

void Put32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

class BitWriter {
public:
    // Bits from the least significant one, as deflate packs them.
    void Bits(unsigned v, int n)
    {
        for (int i = 0; i < n; ++i)
            Bit((v >> i) & 1);
    }
    // A Huffman code, which deflate packs from its most significant bit.
    void Code(unsigned code, int n)
    {
        for (int i = n - 1; i >= 0; --i)
            Bit((code >> i) & 1);
    }
    std::vector<std::uint8_t> Done()
    {
        if (m_nBits != 0)
            m_out.push_back(m_cur);
        return m_out;
    }

private:
    void Bit(unsigned b)
    {
        m_cur = static_cast<std::uint8_t>(m_cur | (b << m_nBits));
        if (++m_nBits == 8) {
            m_out.push_back(m_cur);
            m_cur = 0;
            m_nBits = 0;
        }
    }
    std::vector<std::uint8_t> m_out;
    std::uint8_t m_cur = 0;
    int m_nBits = 0;
};

void FixedLiteral(BitWriter& w, unsigned sym)
{
    if (sym < 144)
        w.Code(0x30 + sym, 8);
    else if (sym < 256)
        w.Code(0x190 + sym - 144, 9);
    else if (sym < 280)
        w.Code(sym - 256, 7);
    else
        w.Code(0xC0 + sym - 280, 8);
}

// Deflate's length (3..258) and distance (1..32768) codes: base value and
// extra bits of each.
constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                               33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                               1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385, 24577};
constexpr int kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void FixedMatch(BitWriter& w, int len, int dist)
{
    int i = 28;
    while (kLengthBase[i] > len)
        --i;
    FixedLiteral(w, 257 + static_cast<unsigned>(i));
    w.Bits(static_cast<unsigned>(len - kLengthBase[i]), kLengthExtra[i]);
    int d = 29;
    while (kDistBase[d] > dist)
        --d;
    w.Code(static_cast<unsigned>(d), 5);
    w.Bits(static_cast<unsigned>(dist - kDistBase[d]), kDistExtra[d]);
}

// One final block with fixed codes; matches found greedily through chains of
// earlier places with the same three bytes.
std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& in)
{
    constexpr int kWindow = 32768, kMaxLen = 258, kChain = 64, kHashSize = 1 << 15;
    std::vector<int> head(kHashSize, -1), prev(in.size(), -1);
    auto hash = [&](std::size_t i) {
        return ((in[i] << 10) ^ (in[i + 1] << 5) ^ in[i + 2]) & (kHashSize - 1);
    };
    auto insert = [&](std::size_t i) {
        if (i + 2 >= in.size())
            return;
        const int h = hash(i);
        prev[i] = head[h];
        head[h] = static_cast<int>(i);
    };

    BitWriter w;
    w.Bits(1, 1);  // final block
    w.Bits(1, 2);  // fixed Huffman codes
    std::size_t i = 0;
    while (i < in.size()) {
        int bestLen = 0, bestDist = 0;
        if (i + 2 < in.size()) {
            int cand = head[hash(i)];
            for (int tries = 0; cand >= 0 && tries < kChain; ++tries, cand = prev[cand]) {
                const int dist = static_cast<int>(i) - cand;
                if (dist > kWindow)
                    break;
                int len = 0;
                const int max = static_cast<int>(std::min<std::size_t>(kMaxLen, in.size() - i));
                while (len < max && in[cand + len] == in[i + len])
                    ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestDist = dist;
                }
            }
        }
        if (bestLen >= 3) {
            FixedMatch(w, bestLen, bestDist);
            for (int k = 0; k < bestLen; ++k)
                insert(i + k);
            i += bestLen;
        } else {
            FixedLiteral(w, in[i]);
            insert(i);
            ++i;
        }
    }
    FixedLiteral(w, 256);  // end of block
    return w.Done();
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& in)
{
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : in) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

void PngChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    Put32BigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32BigEndian(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<std::uint8_t> Png(const Canvas& img)
{
    const int n = img.Size();
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < n; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < n; ++x) {
            const bool bOpaque = img.Opaque(x, y);
            const Rgb c = bOpaque ? img.At(x, y) : kBlack;
            raw.insert(raw.end(), {c.r, c.g, c.b, static_cast<std::uint8_t>(bOpaque ? 255 : 0)});
        }
    }
    std::vector<std::uint8_t> zlib = {0x78, 0x01};
    const std::vector<std::uint8_t> deflated = Deflate(raw);
    zlib.insert(zlib.end(), deflated.begin(), deflated.end());
    Put32BigEndian(zlib, Adler32(raw));

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    Put32BigEndian(ihdr, static_cast<std::uint32_t>(n));
    Put32BigEndian(ihdr, static_cast<std::uint32_t>(n));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, not interlaced
    PngChunk(out, "IHDR", ihdr);
    PngChunk(out, "IDAT", zlib);
    PngChunk(out, "IEND", {});
    return out;
}

// ---------------------------------------------------------------------------
// .ico files: an ICONDIR, one entry per image, then the images in the same
// order, smallest first (a reader that knows nothing of PNG meets the bitmaps
// first). A bitmap image is a BITMAPINFOHEADER (height doubled: colour bitmap
// plus mask), the 24-bit colour rows and the 1-bit mask rows, both bottom-up
// with rows padded to four bytes. A set mask bit is transparent; such pixels
// are black in the colour bitmap so that the usual AND-then-XOR drawing leaves
// the background. A 256-pixel image is a whole PNG file, and its entry gives
// 0 for the width and height and 32 bits a pixel.

std::vector<std::uint8_t> Bitmap(const Canvas& img)
{
    const int n = img.Size();
    const int colourRow = (n * 3 + 3) / 4 * 4;
    const int maskRow = (n + 31) / 32 * 4;
    std::vector<std::uint8_t> b;
    Put32(b, 40);
    Put32(b, static_cast<unsigned long>(n));
    Put32(b, static_cast<unsigned long>(2 * n));
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);  // BI_RGB
    Put32(b, static_cast<unsigned long>((colourRow + maskRow) * n));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = n - 1; y >= 0; --y) {
        int written = 0;
        for (int x = 0; x < n; ++x) {
            const Rgb c = img.Opaque(x, y) ? img.At(x, y) : kBlack;
            b.push_back(c.b);
            b.push_back(c.g);
            b.push_back(c.r);
            written += 3;
        }
        for (; written < colourRow; ++written)
            b.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRow, 0);
        for (int x = 0; x < n; ++x)
            if (!img.Opaque(x, y))
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

std::vector<std::uint8_t> IcoFile(const std::vector<Canvas>& images)
{
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon, not cursor
    Put16(out, static_cast<unsigned>(images.size()));

    std::vector<std::vector<std::uint8_t>> blobs;
    for (const Canvas& img : images)
        blobs.push_back(img.Size() >= 256 ? Png(img) : Bitmap(img));

    unsigned long offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].Size();
        const bool bPng = n >= 256;
        out.push_back(static_cast<std::uint8_t>(bPng ? 0 : n));
        out.push_back(static_cast<std::uint8_t>(bPng ? 0 : n));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);               // planes
        Put16(out, bPng ? 32 : 24);  // bits per pixel
        Put32(out, blobs[i].size());
        Put32(out, offset);
        offset += blobs[i].size();
    }
    for (const auto& b : blobs)
        out.insert(out.end(), b.begin(), b.end());
    return out;
}

std::vector<Canvas> Draw(void (*draw)(Canvas&), std::initializer_list<int> sizes)
{
    std::vector<Canvas> images;
    for (int n : sizes) {
        images.emplace_back(n);
        draw(images.back());
    }
    return images;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    f.close();
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkicons <folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool bOk = true;

    // The window's large and small icons, the taskbar's and Explorer's: the
    // small icon is the same picture without the 256-pixel image.
    bOk = WriteFile(dir + "/app.ico", IcoFile(Draw(DrawApp, {16, 20, 24, 32, 40, 48, 256}))) && bOk;
    bOk = WriteFile(dir + "/small.ico", IcoFile(Draw(DrawApp, {16, 20, 24, 32, 40, 48}))) && bOk;

    // In the order of the kinds: icon 133 + k shows kind k.
    void (*const kinds[])(Canvas&) = {
        DrawOther, DrawImage,        DrawSound,       DrawText,        DrawFile,
        DrawHtml,  DrawUrl,          DrawRtf,         DrawTable,       DrawPaintShopPro,
        DrawDreamweaver, DrawFireworks, DrawFlash, DrawFreehand,
    };
    int id = 133;
    for (auto draw : kinds) {
        bOk = WriteFile(dir + "/kind_" + std::to_string(id) + ".ico", IcoFile(Draw(draw, {32, 40, 48, 64}))) &&
              bOk;
        ++id;
    }

    if (!bOk) {
        std::fprintf(stderr, "mkicons: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
