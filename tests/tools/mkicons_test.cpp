// The icon generator: a fresh run gives exactly the committed icons, and the
// committed files hold well-formed images of the sizes Windows asks for, each
// the same picture laid out for its own size.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

unsigned U16(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16; }
std::uint32_t BigEndian32(const Bytes& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (fs::temp_directory_path() / "mkicons-XXXXXX").string();
        if (mkdtemp(tmpl.data()) != nullptr)
            m_path = tmpl;
    }
    ~TempDir()
    {
        if (!m_path.empty())
            fs::remove_all(m_path);
    }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

int RunGenerator(const std::string& args)
{
    const int status = std::system((std::string("'") + MKICONS_EXE + "' " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> IcoFiles(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The sizes each file holds, in the order of its directory: smallest first.
std::map<std::string, std::vector<int>> ExpectedSizes()
{
    std::map<std::string, std::vector<int>> m{{"app.ico", {16, 20, 24, 32, 40, 48, 256}},
                                              {"small.ico", {16, 20, 24, 32, 40, 48}}};
    for (int id = 133; id <= 146; ++id)
        m["kind_" + std::to_string(id) + ".ico"] = {32, 40, 48, 64};
    return m;
}

// A decoded image: colour and opacity per pixel, top row first.
struct Image {
    int n = 0;
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB
    std::vector<bool> opaque;
};

// Inflate (RFC 1951), all three kinds of block, so that the PNG is checked by
// a reader that does not share the writer's assumptions. False on any
// malformed or cut stream.
class Inflater {
public:
    explicit Inflater(const Bytes& in) : m_in(in) {}

    bool Run(Bytes& out)
    {
        bool bLast = false;
        while (!bLast) {
            bLast = Bits(1) == 1;
            const unsigned type = Bits(2);
            bool bOk = false;
            if (type == 0)
                bOk = Stored(out);
            else if (type == 1)
                bOk = Fixed(out);
            else if (type == 2)
                bOk = Dynamic(out);
            if (!bOk || m_bPastEnd)
                return false;
        }
        m_used = (m_bit + 7) / 8;
        return true;
    }
    // Bytes of the input the stream took, after Run.
    std::size_t Used() const { return m_used; }

private:
    struct Huffman {
        std::vector<int> count = std::vector<int>(16, 0), symbol;
    };

    unsigned Bits(int n)
    {
        unsigned v = 0;
        for (int i = 0; i < n; ++i, ++m_bit) {
            if (m_bit / 8 >= m_in.size()) {
                m_bPastEnd = true;
                return 0;
            }
            v |= ((m_in[m_bit / 8] >> (m_bit % 8)) & 1u) << i;
        }
        return v;
    }

    static bool Build(Huffman& h, const std::vector<int>& lengths)
    {
        std::fill(h.count.begin(), h.count.end(), 0);
        for (int len : lengths)
            ++h.count[len];
        std::vector<int> offs(16, 0);
        for (int len = 1; len < 15; ++len)
            offs[len + 1] = offs[len] + h.count[len];
        h.symbol.assign(lengths.size(), 0);
        for (std::size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] != 0)
                h.symbol[offs[lengths[s]]++] = static_cast<int>(s);
        return true;
    }

    int Decode(const Huffman& h)
    {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            code |= static_cast<int>(Bits(1));
            const int count = h.count[len];
            if (code - count < first)
                return h.symbol[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
            if (m_bPastEnd)
                return -1;
        }
        return -1;
    }

    bool Stored(Bytes& out)
    {
        m_bit = (m_bit + 7) / 8 * 8;
        const unsigned len = Bits(16), nlen = Bits(16);
        if (m_bPastEnd || (len ^ 0xFFFF) != nlen)
            return false;
        for (unsigned i = 0; i < len; ++i)
            out.push_back(static_cast<std::uint8_t>(Bits(8)));
        return true;
    }

    bool Codes(Bytes& out, const Huffman& lit, const Huffman& dist)
    {
        static const int lBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const int lExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const int dBase[30] = {1,   2,   3,    4,    5,    7,    9,    13,   17,    25,
                                      33,  49,  65,   97,   129,  193,  257,  385,  513,   769,
                                      1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static const int dExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            const int sym = Decode(lit);
            if (sym < 0 || sym > 285)
                return false;
            if (sym < 256) {
                out.push_back(static_cast<std::uint8_t>(sym));
                continue;
            }
            if (sym == 256)
                return true;
            const int len = lBase[sym - 257] + static_cast<int>(Bits(lExtra[sym - 257]));
            const int d = Decode(dist);
            if (d < 0 || d > 29)
                return false;
            const std::size_t back = static_cast<std::size_t>(dBase[d]) + Bits(dExtra[d]);
            if (back > out.size() || m_bPastEnd)
                return false;
            for (int i = 0; i < len; ++i)
                out.push_back(out[out.size() - back]);
        }
    }

    bool Fixed(Bytes& out)
    {
        std::vector<int> lengths(288);
        for (int s = 0; s < 288; ++s)
            lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        Huffman lit, dist;
        Build(lit, lengths);
        Build(dist, std::vector<int>(30, 5));
        return Codes(out, lit, dist);
    }

    bool Dynamic(Bytes& out)
    {
        static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        const int nlen = static_cast<int>(Bits(5)) + 257, ndist = static_cast<int>(Bits(5)) + 1;
        const int ncode = static_cast<int>(Bits(4)) + 4;
        std::vector<int> codeLengths(19, 0);
        for (int i = 0; i < ncode; ++i)
            codeLengths[order[i]] = static_cast<int>(Bits(3));
        Huffman lencode;
        Build(lencode, codeLengths);
        std::vector<int> lengths;
        while (static_cast<int>(lengths.size()) < nlen + ndist) {
            const int sym = Decode(lencode);
            if (sym < 0)
                return false;
            if (sym < 16) {
                lengths.push_back(sym);
                continue;
            }
            int value = 0, repeat = 0;
            if (sym == 16) {
                if (lengths.empty())
                    return false;
                value = lengths.back();
                repeat = 3 + static_cast<int>(Bits(2));
            } else if (sym == 17) {
                repeat = 3 + static_cast<int>(Bits(3));
            } else {
                repeat = 11 + static_cast<int>(Bits(7));
            }
            lengths.insert(lengths.end(), repeat, value);
        }
        if (static_cast<int>(lengths.size()) != nlen + ndist)
            return false;
        Huffman lit, dist;
        Build(lit, std::vector<int>(lengths.begin(), lengths.begin() + nlen));
        Build(dist, std::vector<int>(lengths.begin() + nlen, lengths.end()));
        return Codes(out, lit, dist);
    }

    const Bytes& m_in;
    std::size_t m_bit = 0, m_used = 0;
    bool m_bPastEnd = false;
};

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// A 24-bit image with its mask, as an .ico file keeps it. Fails the test when
// the header or the sizes are wrong.
void ReadBitmap(const Bytes& b, std::size_t offset, std::uint32_t size, int n, Image& img)
{
    const std::size_t colourRow = (n * 3 + 3) / 4 * 4, maskRow = (n + 31) / 32 * 4;
    ASSERT_EQ(size, 40 + (colourRow + maskRow) * n);
    EXPECT_EQ(U32(b, offset), 40u);
    EXPECT_EQ(U32(b, offset + 4), static_cast<std::uint32_t>(n));
    EXPECT_EQ(U32(b, offset + 8), static_cast<std::uint32_t>(2 * n));  // colour and mask
    EXPECT_EQ(U16(b, offset + 12), 1u);
    EXPECT_EQ(U16(b, offset + 14), 24u);
    EXPECT_EQ(U32(b, offset + 16), 0u);  // BI_RGB

    const std::size_t colour = offset + 40, mask = colour + colourRow * n;
    img.n = n;
    img.rgb.assign(n * n, 0);
    img.opaque.assign(n * n, false);
    int tinted = 0;
    for (int y = 0; y < n; ++y) {
        const int row = n - 1 - y;  // bottom-up
        for (int x = 0; x < n; ++x) {
            const std::size_t p = colour + row * colourRow + x * 3;
            const std::uint32_t rgb = b[p + 2] << 16 | b[p + 1] << 8 | b[p];
            const bool bTransparent = (b[mask + row * maskRow + x / 8] >> (7 - x % 8)) & 1;
            img.rgb[y * n + x] = rgb;
            img.opaque[y * n + x] = !bTransparent;
            // Transparent pixels are black in the colour bitmap, or the
            // drawing would tint whatever lies behind the icon.
            tinted += bTransparent && rgb != 0;
        }
    }
    EXPECT_EQ(tinted, 0);
}

// A whole PNG file, RGBA with 8 bits a channel, as the 256-pixel image of an
// .ico file: every chunk's checksum, the compressed stream and its checksum,
// the row filters. The alpha must be all or nothing, like the masks.
void ReadPng(const Bytes& b, std::size_t offset, std::uint32_t size, int n, Image& img)
{
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(size, 8u);
    ASSERT_EQ(std::memcmp(b.data() + offset, signature, 8), 0) << "not a PNG";
    const std::size_t end = offset + size;
    std::size_t at = offset + 8;
    std::vector<std::string> chunks;
    Bytes ihdr, idat;
    while (at < end) {
        ASSERT_LE(at + 12, end) << "chunk cut short";
        const std::uint32_t len = BigEndian32(b, at);
        ASSERT_LE(at + 12 + len, end) << "chunk cut short";
        const std::string type(b.begin() + at + 4, b.begin() + at + 8);
        EXPECT_EQ(BigEndian32(b, at + 8 + len), Crc32(b.data() + at + 4, 4 + len)) << type;
        const Bytes data(b.begin() + at + 8, b.begin() + at + 8 + len);
        if (type == "IHDR")
            ihdr = data;
        else if (type == "IDAT")
            idat.insert(idat.end(), data.begin(), data.end());
        chunks.push_back(type);
        at += 12 + len;
    }
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front(), "IHDR");
    EXPECT_EQ(chunks.back(), "IEND");
    ASSERT_EQ(ihdr.size(), 13u);
    EXPECT_EQ(BigEndian32(ihdr, 0), static_cast<std::uint32_t>(n));
    EXPECT_EQ(BigEndian32(ihdr, 4), static_cast<std::uint32_t>(n));
    EXPECT_EQ(ihdr[8], 8);   // bits a channel
    EXPECT_EQ(ihdr[9], 6);   // RGBA: what Windows takes in an icon
    EXPECT_EQ(ihdr[10], 0);  // deflate
    EXPECT_EQ(ihdr[11], 0);
    EXPECT_EQ(ihdr[12], 0);  // not interlaced

    ASSERT_GE(idat.size(), 6u);
    EXPECT_EQ(idat[0] & 0x0F, 8);  // deflate
    EXPECT_EQ((idat[0] << 8 | idat[1]) % 31, 0);
    EXPECT_EQ(idat[1] & 0x20, 0);  // no preset dictionary
    const Bytes stream(idat.begin() + 2, idat.end());
    Inflater inflater(stream);
    Bytes raw;
    ASSERT_TRUE(inflater.Run(raw)) << "the compressed stream is malformed";
    ASSERT_EQ(inflater.Used() + 4, stream.size()) << "the Adler-32 sum must follow the stream";
    std::uint32_t a = 1, s = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        s = (s + a) % 65521;
    }
    EXPECT_EQ(BigEndian32(stream, inflater.Used()), s << 16 | a);

    const std::size_t stride = 1 + 4 * static_cast<std::size_t>(n);
    ASSERT_EQ(raw.size(), stride * n);
    Bytes prev(stride - 1, 0);
    img.n = n;
    img.rgb.assign(n * n, 0);
    img.opaque.assign(n * n, false);
    int halfTransparent = 0;
    for (int y = 0; y < n; ++y) {
        const std::uint8_t filter = raw[y * stride];
        ASSERT_LE(filter, 4) << "row " << y;
        Bytes row(raw.begin() + y * stride + 1, raw.begin() + (y + 1) * stride);
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int left = i >= 4 ? row[i - 4] : 0, up = prev[i], upLeft = i >= 4 ? prev[i - 4] : 0;
            int predicted = 0;
            if (filter == 1)
                predicted = left;
            else if (filter == 2)
                predicted = up;
            else if (filter == 3)
                predicted = (left + up) / 2;
            else if (filter == 4) {
                const int p = left + up - upLeft;
                const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
                predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
            }
            row[i] = static_cast<std::uint8_t>(row[i] + predicted);
        }
        for (int x = 0; x < n; ++x) {
            const std::uint8_t* p = row.data() + 4 * x;
            img.rgb[y * n + x] = p[0] << 16 | p[1] << 8 | p[2];
            img.opaque[y * n + x] = p[3] == 255;
            halfTransparent += p[3] != 0 && p[3] != 255;
        }
        prev = row;
    }
    EXPECT_EQ(halfTransparent, 0);
}

// Reads every image of a committed file, checking its directory on the way:
// the sizes in order, each entry's fields, images one after another with
// nothing between or after them.
std::vector<Image> ReadIco(const std::string& name, const std::vector<int>& sizes)
{
    std::vector<Image> images;
    const Bytes b = ReadAll(fs::path(ICONS_DIR) / name);
    EXPECT_GE(b.size(), 6u);
    if (b.size() < 6)
        return images;
    EXPECT_EQ(U16(b, 0), 0u);
    EXPECT_EQ(U16(b, 2), 1u);  // an icon, not a cursor
    EXPECT_EQ(U16(b, 4), sizes.size());
    if (U16(b, 4) != sizes.size() || b.size() < 6 + 16 * sizes.size())
        return images;

    std::size_t end = 6 + 16 * sizes.size();
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int n = sizes[i];
        SCOPED_TRACE(std::to_string(n) + " pixels");
        const std::size_t e = 6 + 16 * i;
        const bool bPng = n == 256;
        EXPECT_EQ(b[e], bPng ? 0 : n);  // 0 stands for 256
        EXPECT_EQ(b[e + 1], bPng ? 0 : n);
        EXPECT_EQ(b[e + 2], 0);  // no palette
        EXPECT_EQ(b[e + 3], 0);
        EXPECT_EQ(U16(b, e + 4), 1u);
        EXPECT_EQ(U16(b, e + 6), bPng ? 32u : 24u);
        const std::uint32_t size = U32(b, e + 8), offset = U32(b, e + 12);
        EXPECT_EQ(offset, end);
        if (offset != end || static_cast<std::size_t>(offset) + size > b.size()) {
            ADD_FAILURE() << "image outside the file";
            return images;
        }
        end = offset + size;

        Image img;
        if (bPng)
            ReadPng(b, offset, size, n, img);
        else
            ReadBitmap(b, offset, size, n, img);
        if (img.n != n)
            return images;  // unreadable, already reported
        images.push_back(img);
    }
    EXPECT_EQ(end, b.size());
    return images;
}

// The painted part of an image as left, top, right and bottom edges, measured
// in 32nds of the image's size.
std::tuple<double, double, double, double> PaintedBox(const Image& img)
{
    int x0 = img.n, y0 = img.n, x1 = -1, y1 = -1;
    for (int y = 0; y < img.n; ++y) {
        for (int x = 0; x < img.n; ++x) {
            if (!img.opaque[y * img.n + x])
                continue;
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x + 1);
            y1 = std::max(y1, y + 1);
        }
    }
    const double k = 32.0 / img.n;
    return {x0 * k, y0 * k, x1 * k, y1 * k};
}

std::set<std::uint32_t> Colours(const Image& img)
{
    std::set<std::uint32_t> out;
    for (int i = 0; i < img.n * img.n; ++i)
        if (img.opaque[i])
            out.insert(img.rgb[i]);
    return out;
}

}  // namespace

TEST(MkIcons, FreshRunMatchesTheCommittedIcons)
{
    TempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    ASSERT_EQ(RunGenerator("'" + tmp.Path().string() + "'"), 0);

    const std::vector<std::string> fresh = IcoFiles(tmp.Path());
    EXPECT_EQ(fresh, IcoFiles(ICONS_DIR));
    for (const std::string& name : fresh)
        EXPECT_TRUE(ReadAll(tmp.Path() / name) == ReadAll(fs::path(ICONS_DIR) / name))
            << name << " differs from the committed file: run the icons target and commit";
}

TEST(MkIcons, FailsWithoutAUsableFolder)
{
    EXPECT_NE(RunGenerator(""), 0);
    TempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    EXPECT_EQ(RunGenerator("'" + (tmp.Path() / "missing").string() + "'"), 1);
}

TEST(MkIcons, CommittedIconsHoldTheirSizesWithMasks)
{
    const auto expected = ExpectedSizes();
    EXPECT_EQ(IcoFiles(ICONS_DIR).size(), expected.size());
    for (const auto& [name, sizes] : expected) {
        SCOPED_TRACE(name);
        const std::vector<Image> images = ReadIco(name, sizes);
        ASSERT_EQ(images.size(), sizes.size());
        for (const Image& img : images) {
            SCOPED_TRACE(std::to_string(img.n) + " pixels");
            // The mask lets the background through around the picture, and
            // the picture covers a fair part of the image: neither a
            // forgotten mask nor an empty image.
            const auto opaque = std::count(img.opaque.begin(), img.opaque.end(), true);
            EXPECT_LT(opaque, img.n * img.n);
            EXPECT_GE(opaque, img.n * img.n / 8);
        }
    }
}

// Every size shows the 32-pixel picture laid out for its own grid: the painted
// part sits where it sits at 32 pixels, give or take a pixel and a half of
// that grid (not cut, not shifted, not drawn for another size), and a kind's
// picture has the same colours at every size (no part lost, no other
// picture's colour).
TEST(MkIcons, EverySizeShowsTheSamePicture)
{
    for (const auto& [name, sizes] : ExpectedSizes()) {
        SCOPED_TRACE(name);
        const std::vector<Image> images = ReadIco(name, sizes);
        ASSERT_EQ(images.size(), sizes.size());
        const auto ref = std::find_if(images.begin(), images.end(), [](const Image& i) { return i.n == 32; });
        ASSERT_NE(ref, images.end());
        const auto [rx0, ry0, rx1, ry1] = PaintedBox(*ref);
        for (const Image& img : images) {
            SCOPED_TRACE(std::to_string(img.n) + " pixels");
            const auto [x0, y0, x1, y1] = PaintedBox(img);
            EXPECT_NEAR(x0, rx0, 1.5);
            EXPECT_NEAR(y0, ry0, 1.5);
            EXPECT_NEAR(x1, rx1, 1.5);
            EXPECT_NEAR(y1, ry1, 1.5);
            if (name.rfind("kind_", 0) == 0) {
                EXPECT_EQ(Colours(img), Colours(*ref));
            }
        }
    }
}

// The window's small icon (caption, notification area) and its large icon
// (taskbar, Alt+Tab) are one picture: at each size both files hold the same
// image.
TEST(MkIcons, SmallIconIsTheProgramIcon)
{
    const auto expected = ExpectedSizes();
    const std::vector<Image> app = ReadIco("app.ico", expected.at("app.ico"));
    const std::vector<Image> small = ReadIco("small.ico", expected.at("small.ico"));
    ASSERT_EQ(small.size(), 6u);
    ASSERT_EQ(app.size(), 7u);
    for (std::size_t i = 0; i < small.size(); ++i) {
        EXPECT_EQ(small[i].rgb, app[i].rgb) << small[i].n;
        EXPECT_EQ(small[i].opaque, app[i].opaque) << small[i].n;
    }
}
