// Draws the program's icons and writes them as .ico files:
//
//     mkicons <folder>
//
// writes app.ico (icon 128: 16x16 and 32x32), small.ico (icon 147: 16x16) and
// kind_133.ico ... kind_146.ico (the clip kinds, 32x32). Every image is 24-bit
// colour with a 1-bit mask. The output depends on nothing but this file, so the
// committed icons can be checked against a fresh run.
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

    // One-pixel outline, both corners included.
    void Frame(int x0, int y0, int x1, int y1, Rgb c)
    {
        Fill(x0, y0, x1, y0, c);
        Fill(x0, y1, x1, y1, c);
        Fill(x0, y0, x0, y1, c);
        Fill(x1, y0, x1, y1, c);
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

    // A small bitmap given as rows of '#' (painted) and anything else (left
    // alone), each cell scale by scale pixels.
    void Sprite(int x, int y, std::initializer_list<const char*> rows, Rgb c, int nScale = 1)
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

    // Text in the 5x7 font below, one blank column between letters (scaled).
    void Text(int x, int y, const char* s, Rgb c, int nScale);

private:
    int m_nSize;
    std::vector<Rgb> m_px;
    std::vector<bool> m_opaque;
};

// The letters the icons need, 5 columns by 7 rows; lower case sits on the same
// baseline as capitals.
struct Glyph {
    char ch;
    const char* rows[7];
};

constexpr Glyph kFont[] = {
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'h', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
};

void Canvas::Text(int x, int y, const char* s, Rgb c, int nScale)
{
    for (; *s != '\0'; ++s) {
        for (const Glyph& g : kFont) {
            if (g.ch != *s)
                continue;
            Sprite(x, y, {g.rows[0], g.rows[1], g.rows[2], g.rows[3], g.rows[4], g.rows[5], g.rows[6]},
                   c, nScale);
        }
        x += 6 * nScale;
    }
}

// ---------------------------------------------------------------------------
// Pictures, 32x32 unless said otherwise.

// A sheet of paper with its top right corner folded over; the writing area is
// x 8..23, y 10..27.
void DrawPage(Canvas& c)
{
    c.Polygon({{6, 2}, {20, 2}, {26, 8}, {26, 30}, {6, 30}}, kWhite);
    c.Polygon({{19, 2}, {19, 9}, {26, 9}}, kFold);
    c.Line(6, 2, 19, 2, kPageEdge);
    c.Line(19, 2, 25, 8, kPageEdge);
    c.Line(25, 8, 25, 29, kPageEdge);
    c.Line(6, 29, 25, 29, kPageEdge);
    c.Line(6, 2, 6, 29, kPageEdge);
    c.Line(19, 2, 19, 8, kPageEdge);
    c.Line(19, 8, 25, 8, kPageEdge);
}

void DrawOther(Canvas& c)
{
    DrawPage(c);
    const std::initializer_list<const char*> question = {
        "..######..",
        ".########.",
        "###....###",
        "##......##",
        "........##",
        ".......###",
        ".....####.",
        "....####..",
        "....##....",
        "....##....",
        "..........",
        "....##....",
        "....##....",
    };
    // Drawn twice a pixel apart: a two-pixel stroke is lost on a 32-pixel icon.
    c.Sprite(10, 10, question, kQuestion);
    c.Sprite(11, 10, question, kQuestion);
}

void DrawImage(Canvas& c)
{
    c.Fill(2, 5, 29, 26, kFrame);
    c.Frame(2, 5, 29, 26, kBoardEdge);
    c.Fill(4, 7, 27, 24, kSky);
    c.Ellipse(19, 9, 24, 14, kSun);
    c.Polygon({{4, 25}, {11, 13}, {18, 25}}, kHillDark);
    c.Polygon({{9, 25}, {20, 15}, {28, 23}, {28, 25}}, kHill);
    c.Fill(4, 23, 27, 24, kHill);
}

void DrawSound(Canvas& c)
{
    // Two beamed eighth notes.
    c.Ellipse(4, 21, 12, 27, kNote);
    c.Ellipse(17, 18, 25, 24, kNote);
    c.Fill(11, 7, 12, 24, kNote);
    c.Fill(24, 4, 25, 21, kNote);
    c.Polygon({{11, 7}, {26, 4}, {26, 9}, {11, 12}}, kNote);
}

void DrawText(Canvas& c)
{
    DrawPage(c);
    const int widths[] = {14, 12, 14, 13, 14, 8};
    for (int i = 0; i < 6; ++i)
        c.Fill(9, 11 + 3 * i, 9 + widths[i] - 1, 11 + 3 * i, kTextLine);
}

void DrawFile(Canvas& c)
{
    c.Fill(3, 6, 13, 10, kFolderBack);
    c.Frame(3, 6, 13, 10, kFolderEdge);
    c.Fill(3, 9, 28, 26, kFolderBack);
    c.Frame(3, 9, 28, 26, kFolderEdge);
    c.Polygon({{6, 13}, {31, 13}, {28, 27}, {3, 27}}, kFolderFront);
    c.Line(6, 13, 30, 13, kFolderEdge);
    c.Line(30, 13, 28, 26, kFolderEdge);
    c.Line(6, 13, 3, 26, kFolderEdge);
    c.Line(3, 26, 28, 26, kFolderEdge);
}

void DrawHtml(Canvas& c)
{
    // A browser window holding a tag.
    c.Fill(2, 4, 29, 27, kWhite);
    c.Frame(2, 4, 29, 27, kWindowEdge);
    c.Fill(3, 5, 28, 8, kTitleBar);
    c.Fill(24, 6, 25, 7, kWhite);
    c.Fill(21, 6, 22, 7, kWhite);
    c.Line(13, 11, 7, 17, kTag, 2);
    c.Line(7, 17, 13, 23, kTag, 2);
    c.Line(18, 11, 24, 17, kTag, 2);
    c.Line(24, 17, 18, 23, kTag, 2);
}

void DrawUrl(Canvas& c)
{
    // A globe: ocean, outline, equator, tropics and three meridians.
    for (int y = 3; y <= 28; ++y) {
        for (int x = 3; x <= 28; ++x) {
            if (!Canvas::InEllipse(x, y, 3, 3, 28, 28))
                continue;
            Rgb col = kOcean;
            const bool bMeridian = (Canvas::InEllipse(x, y, 9, 3, 22, 28) &&
                                    !Canvas::InEllipse(x, y, 10, 4, 21, 27)) ||
                                   x == 15 || x == 16;
            const bool bParallel = y == 15 || y == 16 || y == 8 || y == 23;
            if (bMeridian || bParallel)
                col = kGrid;
            if (!Canvas::InEllipse(x, y, 4, 4, 27, 27))
                col = kOceanEdge;
            c.Set(x, y, col);
        }
    }
}

void DrawRtf(Canvas& c)
{
    DrawPage(c);
    // Bold, coloured and plain lines: formatted text.
    c.Fill(9, 11, 17, 12, kBlack);
    c.Fill(9, 15, 22, 15, kRed);
    c.Fill(9, 18, 22, 19, kBlue);
    c.Fill(9, 22, 20, 22, kGreen);
    c.Fill(9, 25, 18, 26, kPurple);
}

void DrawTable(Canvas& c)
{
    c.Fill(2, 4, 29, 28, kWhite);
    c.Fill(2, 4, 29, 8, kHeader);
    c.Fill(2, 4, 8, 28, kRowHead);
    c.Fill(2, 4, 8, 8, kHeader);
    for (int x : {2, 9, 16, 23, 29})
        c.Fill(x, 4, x, 28, kCellLine);
    for (int y : {4, 8, 12, 16, 20, 24, 28})
        c.Fill(2, y, 29, y, kCellLine);
    // A figure in every other cell; the last column is a pixel narrower.
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 3; ++col) {
            if ((row + col) % 2 != 0)
                continue;
            const int x = 11 + 7 * col, y = 10 + 4 * row;
            c.Fill(x, y, x + (col == 2 ? 1 : 2), y, kCellMark);
        }
    }
}

// A square badge with cut corners, the mark of another program.
void DrawBadge(Canvas& c, Rgb fill, Rgb edge)
{
    c.Fill(3, 2, 28, 29, fill);
    c.Fill(2, 3, 29, 28, fill);
    c.Line(3, 2, 28, 2, edge);
    c.Line(3, 29, 28, 29, edge);
    c.Line(2, 3, 2, 28, edge);
    c.Line(29, 3, 29, 28, edge);
}

void DrawPaintShopPro(Canvas& c)
{
    DrawBadge(c, {120, 40, 160}, {60, 10, 90});
    c.Text(9, 6, "P", kWhite, 3);
}

void DrawDreamweaver(Canvas& c)
{
    DrawBadge(c, {0, 120, 90}, {0, 60, 40});
    c.Text(5, 9, "Dw", kWhite, 2);
}

void DrawFireworks(Canvas& c)
{
    DrawBadge(c, {230, 110, 10}, {130, 50, 0});
    c.Text(5, 9, "Fw", kWhite, 2);
}

void DrawFlash(Canvas& c)
{
    DrawBadge(c, {190, 20, 30}, {100, 0, 10});
    c.Polygon({{17, 3}, {25, 3}, {19, 13}, {24, 13}, {11, 29}, {14, 17}, {8, 17}}, kYellow);
}

void DrawFreehand(Canvas& c)
{
    DrawBadge(c, {30, 80, 190}, {10, 30, 100});
    c.Text(5, 9, "Fh", kWhite, 2);
}

// The program's own icon: a clipboard with a sheet and a red bookmark ribbon,
// the sign of something kept.
void DrawApp32(Canvas& c)
{
    c.Fill(4, 4, 27, 30, kBoard);
    c.Frame(4, 4, 27, 30, kBoardEdge);
    c.Fill(7, 8, 24, 27, kWhite);
    c.Frame(7, 8, 24, 27, kPageEdge);
    const int widths[] = {9, 9, 9, 9, 6};
    for (int i = 0; i < 5; ++i)
        c.Fill(9, 12 + 3 * i, 9 + widths[i] - 1, 12 + 3 * i, kTextLine);
    c.Fill(19, 8, 24, 23, kRibbon);
    c.Fill(20, 23, 23, 23, kWhite);  // the ribbon's V-cut end
    c.Fill(21, 22, 22, 22, kWhite);
    c.Fill(10, 1, 21, 6, kClip);
    c.Frame(10, 1, 21, 6, kClipEdge);
    c.Fill(14, 2, 17, 3, kClipEdge);
}

void DrawApp16(Canvas& c)
{
    c.Fill(2, 2, 13, 15, kBoard);
    c.Frame(2, 2, 13, 15, kBoardEdge);
    c.Fill(4, 4, 11, 13, kWhite);
    c.Fill(5, 6, 8, 6, kTextLine);
    c.Fill(5, 8, 8, 8, kTextLine);
    c.Fill(5, 10, 7, 10, kTextLine);
    c.Fill(9, 4, 11, 10, kRibbon);
    c.Set(10, 10, kWhite);  // the ribbon's V-cut end
    c.Fill(5, 0, 10, 3, kClip);
    c.Frame(5, 0, 10, 3, kClipEdge);
}

// ---------------------------------------------------------------------------
// .ico files: an ICONDIR, one entry per image, then per image a
// BITMAPINFOHEADER (height doubled: colour bitmap plus mask), the 24-bit
// colour rows and the 1-bit mask rows, both bottom-up with rows padded to
// four bytes. A set mask bit is transparent; such pixels are black in the
// colour bitmap so that the usual AND-then-XOR drawing leaves the background.

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

std::vector<std::uint8_t> IcoFile(const std::vector<const Canvas*>& images)
{
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);  // icon, not cursor
    Put16(out, static_cast<unsigned>(images.size()));

    std::vector<std::vector<std::uint8_t>> blobs;
    for (const Canvas* img : images) {
        const int n = img->Size();
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
                const Rgb c = img->Opaque(x, y) ? img->At(x, y) : kBlack;
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
                if (!img->Opaque(x, y))
                    row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
        blobs.push_back(std::move(b));
    }

    unsigned long offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int n = images[i]->Size();
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);   // planes
        Put16(out, 24);  // bits per pixel
        Put32(out, blobs[i].size());
        Put32(out, offset);
        offset += blobs[i].size();
    }
    for (const auto& b : blobs)
        out.insert(out.end(), b.begin(), b.end());
    return out;
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

    Canvas app16(16), app32(32);
    DrawApp16(app16);
    DrawApp32(app32);
    bOk = WriteFile(dir + "/app.ico", IcoFile({&app16, &app32})) && bOk;
    bOk = WriteFile(dir + "/small.ico", IcoFile({&app16})) && bOk;

    // In the order of the kinds: icon 133 + k shows kind k.
    void (*const kinds[])(Canvas&) = {
        DrawOther, DrawImage,        DrawSound,       DrawText,        DrawFile,
        DrawHtml,  DrawUrl,          DrawRtf,         DrawTable,       DrawPaintShopPro,
        DrawDreamweaver, DrawFireworks, DrawFlash, DrawFreehand,
    };
    int id = 133;
    for (auto draw : kinds) {
        Canvas img(32);
        draw(img);
        bOk = WriteFile(dir + "/kind_" + std::to_string(id) + ".ico", IcoFile({&img})) && bOk;
        ++id;
    }

    if (!bOk) {
        std::fprintf(stderr, "mkicons: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
