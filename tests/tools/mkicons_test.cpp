// The icon generator: a fresh run gives exactly the committed icons, and the
// committed files are well-formed 24-bit icons of the sizes the program loads.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
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

// The sizes each file holds, in the order the program's icons expect them.
std::map<std::string, std::vector<int>> ExpectedSizes()
{
    std::map<std::string, std::vector<int>> m{{"app.ico", {16, 32}}, {"small.ico", {16}}};
    for (int id = 133; id <= 146; ++id)
        m["kind_" + std::to_string(id) + ".ico"] = {32};
    return m;
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

TEST(MkIcons, CommittedIconsAre24BitWithMaskAtTheirSizes)
{
    const auto expected = ExpectedSizes();
    EXPECT_EQ(IcoFiles(ICONS_DIR).size(), expected.size());
    for (const auto& [name, sizes] : expected) {
        SCOPED_TRACE(name);
        const Bytes b = ReadAll(fs::path(ICONS_DIR) / name);
        ASSERT_GE(b.size(), 6u);
        EXPECT_EQ(U16(b, 0), 0u);
        EXPECT_EQ(U16(b, 2), 1u);  // an icon, not a cursor
        ASSERT_EQ(U16(b, 4), sizes.size());
        ASSERT_GE(b.size(), 6 + 16 * sizes.size());

        std::size_t end = 6 + 16 * sizes.size();
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::size_t e = 6 + 16 * i;
            const int n = sizes[i];
            EXPECT_EQ(b[e], n);
            EXPECT_EQ(b[e + 1], n);
            EXPECT_EQ(b[e + 2], 0);  // no palette
            EXPECT_EQ(U16(b, e + 4), 1u);
            EXPECT_EQ(U16(b, e + 6), 24u);
            const std::uint32_t size = U32(b, e + 8), offset = U32(b, e + 12);
            // Images follow one another with nothing between or after them.
            EXPECT_EQ(offset, end);
            ASSERT_LE(static_cast<std::size_t>(offset) + size, b.size());
            end = offset + size;

            const std::size_t colourRow = (n * 3 + 3) / 4 * 4, maskRow = (n + 31) / 32 * 4;
            EXPECT_EQ(size, 40 + (colourRow + maskRow) * n);
            EXPECT_EQ(U32(b, offset), 40u);
            EXPECT_EQ(U32(b, offset + 4), static_cast<std::uint32_t>(n));
            EXPECT_EQ(U32(b, offset + 8), static_cast<std::uint32_t>(2 * n));  // colour and mask
            EXPECT_EQ(U16(b, offset + 12), 1u);
            EXPECT_EQ(U16(b, offset + 14), 24u);
            EXPECT_EQ(U32(b, offset + 16), 0u);  // BI_RGB

            // Transparent pixels are black in the colour bitmap, or the
            // drawing would tint whatever lies behind the icon.
            const std::size_t colour = offset + 40, mask = colour + colourRow * n;
            int transparent = 0, tinted = 0;
            for (int y = 0; y < n; ++y) {
                for (int x = 0; x < n; ++x) {
                    if (!((b[mask + y * maskRow + x / 8] >> (7 - x % 8)) & 1))
                        continue;
                    ++transparent;
                    const std::size_t p = colour + y * colourRow + x * 3;
                    tinted += (b[p] | b[p + 1] | b[p + 2]) != 0;
                }
            }
            EXPECT_GT(transparent, 0);
            EXPECT_EQ(tinted, 0);
        }
        EXPECT_EQ(end, b.size());
    }
}
