#include <gtest/gtest.h>

#include "res/resource.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The tables below spell Japanese texts as they read; this pins that the
// compiler takes this file as UTF-8, so they stand for the right code points.
static_assert(std::wstring_view(L"アドレス(&D)") == L"\u30A2\u30C9\u30EC\u30B9(&D)");
static_assert(std::wstring_view(L"　←") == L"\u3000\u2190");

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL);
constexpr LANGID kJapaneseNeutral = MAKELANGID(LANG_JAPANESE, SUBLANG_NEUTRAL);
constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// Resources are linked into every test program, so the program's own module holds them.
std::span<const BYTE> ResourceBytes(LPCWSTR type, UINT id, LANGID lang)
{
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), lang);
    if (!resource) return {};
    const void* data = ::LockResource(::LoadResource(module, resource));
    return {static_cast<const BYTE*>(data), ::SizeofResource(module, resource)};
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR param)
{
    reinterpret_cast<std::set<LANGID>*>(param)->insert(lang);
    return TRUE;
}

std::set<LANGID> ResourceLanguages(LPCWSTR type, UINT id)
{
    std::set<LANGID> langs;
    ::EnumResourceLanguagesW(::GetModuleHandleW(nullptr), type, MAKEINTRESOURCEW(id), AddLanguage,
                             reinterpret_cast<LONG_PTR>(&langs));
    return langs;
}

// Reads little-endian words and UTF-16 strings; past the end it yields zeros and remembers it overran.
class WordReader {
public:
    explicit WordReader(std::span<const BYTE> bytes) : m_bytes(bytes) {}

    WORD Word()
    {
        WORD value = 0;
        if (m_pos + sizeof(WORD) > m_bytes.size()) {
            m_bOverran = true;
            return 0;
        }
        std::memcpy(&value, m_bytes.data() + m_pos, sizeof(WORD));
        m_pos += sizeof(WORD);
        return value;
    }
    std::wstring ZeroTerminated()
    {
        std::wstring text;
        for (WORD c = Word(); c != 0; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    std::wstring Counted()
    {
        std::wstring text;
        for (WORD n = Word(); n > 0 && !m_bOverran; --n) text += static_cast<wchar_t>(Word());
        return text;
    }
    DWORD DWord()
    {
        DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    // A name or an ordinal (0xFFFF then the number, given as "#number"); empty when absent.
    std::wstring NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0) return {};
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        return static_cast<wchar_t>(first) + ZeroTerminated();
    }
    void AlignToDWord()
    {
        if (m_pos % 4) Word();
    }
    bool AtEnd() const { return m_pos == m_bytes.size(); }
    bool Overran() const { return m_bOverran; }

private:
    std::span<const BYTE> m_bytes;
    size_t m_pos = 0;
    bool m_bOverran = false;
};

constexpr UINT kPopup = 0xFFFF'FFFF;  // a popup carries no command id
constexpr UINT kSeparator = 0;        // a separator is an item with command 0 and no caption

// One menu item flattened: nesting depth, command (kPopup for a popup), caption,
// and any flag beyond those that shape the tree.
struct MenuLine {
    int depth;
    UINT id;
    std::wstring caption;
    WORD otherFlags = 0;
};

void ReadMenuItems(WordReader& reader, int depth, std::vector<MenuLine>& lines)
{
    while (!reader.Overran()) {
        WORD flags = reader.Word();
        UINT id = (flags & MF_POPUP) ? kPopup : reader.Word();
        lines.push_back({depth, id, reader.ZeroTerminated(), static_cast<WORD>(flags & ~(MF_POPUP | MF_END))});
        if (flags & MF_POPUP) ReadMenuItems(reader, depth + 1, lines);
        if (flags & MF_END) return;
    }
}

struct MainMenuRow {
    int depth;
    UINT id;
    const wchar_t* english;
    const wchar_t* japanese;
};

const MainMenuRow kMainMenu[] = {
    {0, kPopup, L"&File", L"ファイル(&F)"},
    {1, ID_FILE_NEW_WINDOW, L"&New Window\tCtrl+N", L"新規作成-ウインドウ(&N)\tCtrl+N"},
    {1, ID_FILE_OPEN_PAGE, L"&Open...\tCtrl+O", L"開く(&O)...\tCtrl+O"},
    {1, kSeparator, L"", L""},
    {1, ID_FILE_PRINT_PAGE, L"&Print...\tCtrl+P", L"印刷(&P)...\tCtrl+P"},
    {1, ID_FILE_PRINT_PREVIEW_PAGE, L"Print Pre&vew...", L"印刷プレビュー(&V)..."},
    {1, kSeparator, L"", L""},
    {1, ID_APP_EXIT, L"Close All Window (&X)", L"アプリケーション全体を終了(&X)"},
    {0, kPopup, L"&Edit", L"編集(&E)"},
    {1, ID_PAGE_CUT, L"Cu&t\tCtrl+X", L"切り取り(&T)\tCtrl+X"},
    {1, ID_PAGE_COPY, L"&Copy\tCtrl+C", L"コピー(&C)\tCtrl+C"},
    {1, ID_PAGE_PASTE, L"&Paste\tCtrl+V", L"貼り付け(&P)\tCtrl+V"},
    {1, kSeparator, L"", L""},
    {1, ID_PAGE_SELECT_ALL, L"Select &All\tCtrl+A", L"全て選択(&A)\tCtrl+A"},
    {1, kSeparator, L"", L""},
    {1, ID_PAGE_FIND, L"&Find on this Page...\tCtrl+F", L"このページの検索(&F)...\tCtrl+F"},
    {0, kPopup, L"&View", L"表示(&V)"},
    {1, ID_GO_BACK, L"Back\t Alt+?", L"前に戻る\t Alt+←"},
    {1, ID_GO_FORWARD, L"Foward\t Alt+?", L"次に進む\t Alt+→"},
    {1, ID_VIEW_STOP, L"Stop\tEsc", L"中止\tEsc"},
    {1, ID_VIEW_REFRESH, L"Refresh\t F5", L"最新の情報に更新\t F5"},
    {1, ID_GO_HOME, L"Home Page\tAlt+Home", L"ホーム ページ\tAlt+Home"},
    {1, kSeparator, L"", L""},
    {1, kPopup, L"Te&xt Size", L"文字のサイズ(&X)"},
    {2, ID_TEXTSIZE_LARGEST, L"Lar&gest", L"最大(&G)"},
    {2, ID_TEXTSIZE_LARGER, L"&Larger", L"大(&L)"},
    {2, ID_TEXTSIZE_MEDIUM, L"&Medium", L"中(&M)"},
    {2, ID_TEXTSIZE_SMALLER, L"&Smaller", L"小(&S)"},
    {2, ID_TEXTSIZE_SMALLEST, L"Sm&allest", L"最小(&A)"},
    {1, kSeparator, L"", L""},
    {1, ID_VIEW_SOURCE, L"Sour&ce", L"ソース(&C)"},
    {0, kPopup, L"F&avorites", L"お気に入り(&A)"},
    {1, ID_FAVORITES_REFRESH, L"&Refresh Favorites", L"お気に入りの更新(&R)"},
    {1, kSeparator, L"", L""},
    {1, ID_FAVORITES_PLACEHOLDER, L"DUMMY", L"DUMMY"},
    {0, kPopup, L"&Tools", L"ツール(&T)"},
    {1, ID_TOOLS_INTERNET_OPTIONS, L"Internet &Options...", L"インターネット オプション(&O)..."},
    {1, ID_TOOLS_OPTIONS, L"O&pthions...", L"設定(&P)..."},
    {0, kPopup, L"&Help", L"ヘルプ(&H)"},
    {1, ID_APP_ABOUT, L"&About...", L"バージョン情報(&A)..."},
};

std::vector<MenuLine> MainMenu(bool bJapanese)
{
    std::vector<MenuLine> lines;
    for (const MainMenuRow& row : kMainMenu)
        lines.push_back({row.depth, row.id, bJapanese ? row.japanese : row.english});
    return lines;
}

// The drop-down marker menus: one popup with five numbered items.
std::vector<MenuLine> HistoryMenu(const std::wstring& name, UINT firstId)
{
    std::vector<MenuLine> lines = {{0, kPopup, name}};
    for (UINT i = 0; i < 5; ++i) lines.push_back({1, firstId + i, name + std::to_wstring(i + 1)});
    return lines;
}

TEST(ResourcesTest, MenusHoldTheirItemsInEachLanguage)
{
    struct MenuCase {
        const char* name;
        UINT id;
        LANGID lang;
        std::vector<MenuLine> lines;
    };
    const MenuCase cases[] = {
        {"English main menu", IDR_MAINFRAME, kEnglish, MainMenu(false)},
        {"Japanese main menu", IDR_MAINFRAME, kJapaneseNeutral, MainMenu(true)},
        {"Back drop-down", IDR_BACK_MENU, kJapanese, HistoryMenu(L"BACK", ID_BACK_HISTORY_FIRST)},
        {"Forward drop-down", IDR_FORWARD_MENU, kJapanese, HistoryMenu(L"FORWARD", ID_FORWARD_HISTORY_FIRST)},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(c.name);
        WordReader reader(ResourceBytes(RT_MENU, c.id, c.lang));
        EXPECT_EQ(reader.Word(), 0) << "a plain menu template, version 0";
        EXPECT_EQ(reader.Word(), 0) << "items right after the header";
        std::vector<MenuLine> lines;
        ReadMenuItems(reader, 0, lines);
        EXPECT_FALSE(reader.Overran());
        EXPECT_TRUE(reader.AtEnd());
        ASSERT_EQ(lines.size(), c.lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "item " << i << ", expected id " << c.lines[i].id);
            EXPECT_EQ(lines[i].depth, c.lines[i].depth);
            EXPECT_EQ(lines[i].id, c.lines[i].id);
            EXPECT_EQ(lines[i].caption, c.lines[i].caption);
            EXPECT_EQ(lines[i].otherFlags, 0) << "neither greyed, checked nor broken";
        }
    }
}

struct StringRow {
    const char* name;
    UINT id;
    const wchar_t* english;  // null: stored once, under 1041 only
    const wchar_t* japanese;
};

const StringRow kStrings[] = {
    {"frame title", IDR_MAINFRAME, L"Tarnwick", L"Tarnwick"},
    {"compatibility check box", IDS_COMPAT_CHECK, L"Force IE5/6 Compatibility Mode (Quirks Mode)",
     L"IE5/6互換モードを強制する(Quirksモード)"},
    {"compatibility note", IDS_COMPAT_NOTE,
     L"  Takes effect after you restart Tarnwick\n"
     L"\n"
     L"  It is only for the environment where IE7/8/9 was installed.\n"
     L"  UserAgent and rendering mode are changed. \n"
     L"\n"
     L"  Please try, when there is a problem in a rendering. ",
     L"　Tarnwick再開後に有効になります。\n"
     L"\n"
     L"　IE7/8/9環境の場合のみ設定してください。\n"
     L"　UserAgentとレンダリングモードを変更します。\n"
     L"\n"
     L"　※表示が崩れる場合に試してみてください。"},
    {"compatibility detail", IDS_COMPAT_DETAIL,
     L"\n"
     L"The following registry is set up. \n"
     L"\n"
     L" HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\\n"
     L" Internet Explorer\\Main\\FeatureControl\\\n"
     L" FEATURE_DOCUMENT_COMPATIBLE_MODE\n"
     L" [Tarnwick.exe] value:50000\n"
     L"\n"
     L" UserAgent:\n"
     L" Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 2.0.50727; .NET CLR 3.5.30729; .NET CLR "
     L"3.0.30729; Tarnwick)",
     L"\n"
     L"　有効にした場合は以下のレジストリを設定します。\n"
     L"\n"
     L"　HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\\n"
     L"　Internet Explorer\\Main\\FeatureControl\\\n"
     L"　FEATURE_DOCUMENT_COMPATIBLE_MODE\n"
     L"　[Tarnwick.exe] 値:50000\n"
     L"\n"
     L"　UserAgentは以下になります。\n"
     L"　Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; .NET CLR 2.0.50727; .NET CLR 3.5.30729; .NET CLR "
     L"3.0.30729; Tarnwick)"},
    {"address band label", IDS_ADDRESS_LABEL, L"A&ddress", L"アドレス(&D)"},
    {"open dialog filter", IDS_OPEN_FILTER,
     L"HTML Files(*.htm;*.html;*.shtml)|*.htm;*.html;*.shtml|Text Files(*.txt)|*.txt|GIF Files(*.gif)|*.gif|"
     L"JPEG Files(*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG Files(*.png)|*.png|All Files(*.*)|*.*||",
     L"HTMLファイル(*.htm;*.html;*.shtml)|*.htm;*.html;*.shtml|テキストファイル(*.txt)|*.txt|GIFファイル(*.gif)|*.gif|"
     L"JPEGファイル(*.jpg;*.jpeg)|*.jpg;*.jpeg|PNGファイル(*.png)|*.png|全てのファイル(*.*)|*.*||"},
    {"open dialog title", IDS_OPEN_TITLE, L"Open", L"開く"},
    {"empty favorites folder", IDS_FAVORITES_EMPTY, L"none", L"なし"},
    {"favorites refresh item", ID_FAVORITES_REFRESH, L"&Refresh Favorites", L"お気に入りの更新(&R)"},
    {"application name", AFX_IDS_APP_TITLE, nullptr, L"Tarnwick"},
    {"about prompt", ID_APP_ABOUT, nullptr, L" "},
    {"extended-selection indicator prompt", 59136, nullptr, L" "},
    {"caps-lock indicator prompt", 59137, nullptr, L" "},
    {"num-lock indicator prompt", 59138, nullptr, L" "},
    {"scroll-lock indicator prompt", 59139, nullptr, L" "},
    {"overtype indicator prompt", 59140, nullptr, L" "},
    {"record indicator prompt", 59141, nullptr, L" "},
    {"kana indicator prompt", 59142, nullptr, L" "},
    {"system-menu size prompt", 61184, nullptr, L" "},
    {"system-menu move prompt", 61185, nullptr, L" "},
    {"system-menu minimize prompt", 61186, nullptr, L" "},
    {"system-menu restore prompt", 61202, nullptr, L" "},
    {"icon pane", ID_INDICATOR_ICON, nullptr, L" "},
    {"progress pane", ID_INDICATOR_PROGRESS, nullptr, L" "},
    {"zone pane", ID_INDICATOR_ZONE, nullptr, L" "},
    {"last pane", ID_INDICATOR_LAST, nullptr, L" "},
};

UINT BlockOf(UINT id) { return id / 16 + 1; }

// The non-empty strings of one block of sixteen, by id.
std::map<UINT, std::wstring> ReadStringBlock(UINT block, LANGID lang)
{
    std::map<UINT, std::wstring> strings;
    WordReader reader(ResourceBytes(RT_STRING, block, lang));
    for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
        std::wstring text = reader.Counted();
        if (!text.empty()) strings[id] = text;
    }
    EXPECT_FALSE(reader.Overran()) << "block " << block << " of language " << lang;
    return strings;
}

// The lookup picks a language per block, never per string: each block carries
// exactly the table's ids in every language it exists in.
TEST(ResourcesTest, StringBlocksHoldExactlyTheTablesStrings)
{
    std::map<UINT, std::set<LANGID>> langsOfBlock;
    std::map<std::pair<UINT, LANGID>, std::map<UINT, const StringRow*>> rowsOfBlock;
    for (const StringRow& row : kStrings) {
        langsOfBlock[BlockOf(row.id)].insert(kJapanese);
        rowsOfBlock[{BlockOf(row.id), kJapanese}][row.id] = &row;
        if (row.english) {
            langsOfBlock[BlockOf(row.id)].insert(kEnglish);
            rowsOfBlock[{BlockOf(row.id), kEnglish}][row.id] = &row;
        }
    }
    for (const auto& [block, langs] : langsOfBlock)
        EXPECT_EQ(ResourceLanguages(RT_STRING, block), langs) << "block " << block;

    for (const auto& [key, rows] : rowsOfBlock) {
        const auto [block, lang] = key;
        std::map<UINT, std::wstring> strings = ReadStringBlock(block, lang);
        for (const auto& [id, row] : rows) {
            const wchar_t* expected = lang == kEnglish ? row->english : row->japanese;
            EXPECT_EQ(strings[id], expected) << row->name << " (" << id << ") in language " << lang;
            strings.erase(id);
        }
        for (const auto& [id, text] : strings) ADD_FAILURE() << "string " << id << " is not in the table";
    }
}

TEST(ResourcesTest, EachResourceIsStoredInItsLanguages)
{
    struct LanguageCase {
        const char* name;
        LPCWSTR type;
        UINT id;
        std::set<LANGID> langs;
    };
    const LanguageCase cases[] = {
        {"main menu", RT_MENU, IDR_MAINFRAME, {kEnglish, kJapaneseNeutral}},
        {"back drop-down", RT_MENU, IDR_BACK_MENU, {kJapanese}},
        {"forward drop-down", RT_MENU, IDR_FORWARD_MENU, {kJapanese}},
        {"accelerators", RT_ACCELERATOR, IDR_MAINFRAME, {kJapanese}},
        {"toolbar", MAKEINTRESOURCEW(RT_TOOLBAR_ID), IDR_MAINFRAME, {kJapanese}},
        {"toolbar bitmap", RT_BITMAP, IDR_MAINFRAME, {kJapanese}},
        {"cold toolbar bitmap", RT_BITMAP, IDB_TOOLBAR_COLD, {kJapanese}},
        {"hot toolbar bitmap", RT_BITMAP, IDB_TOOLBAR_HOT, {kJapanese}},
        {"menu bitmap", RT_BITMAP, IDB_MENU_IMAGES, {kJapanese}},
        {"16-colour menu bitmap", RT_BITMAP, IDB_MENU_IMAGES_16, {kJapanese}},
        {"application images", RT_BITMAP, IDB_APP_IMAGES, {kJapanese}},
        {"icon", RT_GROUP_ICON, IDR_MAINFRAME, {kJapanese}},
        {"version", RT_VERSION, VS_VERSION_INFO, {kJapanese}},
        {"manifest", RT_MANIFEST, 1, {kJapanese}},
        {"options dialog", RT_DIALOG, IDD_OPTIONS, {kJapanese}},
        {"about box", RT_DIALOG, IDD_ABOUTBOX, {kJapanese}},
    };
    for (const LanguageCase& c : cases) EXPECT_EQ(ResourceLanguages(c.type, c.id), c.langs) << c.name;
}

// One control of a dialog template; its ordinal classes are spelt "#128" (button) and "#130" (static).
struct DialogItem {
    DWORD id;
    std::wstring windowClass;
    DWORD style;  // WS_CHILD | WS_VISIBLE left out: every control has them
    short x, y, cx, cy;
    std::wstring text;  // "#128" for icon 128

    bool operator==(const DialogItem&) const = default;
};

void PrintTo(const DialogItem& item, std::ostream* os)
{
    *os << "{id " << static_cast<int>(item.id) << ", class " << testing::PrintToString(item.windowClass) << ", style 0x"
        << std::hex << item.style << std::dec << ", " << item.x << "," << item.y << " " << item.cx << "x" << item.cy
        << ", text " << testing::PrintToString(item.text) << "}";
}

struct DialogTemplate {
    DWORD style;
    short cx, cy;
    std::wstring caption;
    WORD pointSize;
    std::wstring typeface;
    std::vector<DialogItem> items;  // in template order, which is the tab order
};

constexpr DWORD kStatic = 0;        // SS_LEFT
constexpr DWORD kNoId = 0xFFFF'FFFF;  // -1 in an extended template
const std::wstring kButtonClass = L"#128";
const std::wstring kStaticClass = L"#130";

const DialogTemplate kOptionsDialog = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 251, 221, L"Tarnwick Options", 10,
    L"MS UI Gothic",
    {
        {IDOK, kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, 139, 200, 50, 14, L"OK"},
        {IDCANCEL, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 193, 200, 50, 14, L"Cancel"},
        {IDC_FORCE_COMPAT_MODE, kButtonClass, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 12, 177, 14, L""},
        {IDC_COMPAT_NOTE, kStaticClass, kStatic | WS_BORDER | WS_GROUP, 7, 30, 235, 54, L""},
        {IDC_COMPAT_DETAIL, kStaticClass, kStatic | WS_BORDER | WS_GROUP, 7, 87, 235, 105, L""},
    },
};

const DialogTemplate kAboutBox = {
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 257, 83, L"About Tarnwick", 9, L"MS UI Gothic",
    {
        {kNoId, kStaticClass, SS_ICON, 12, 9, 20, 20, L"#128"},
        {kNoId, kStaticClass, kStatic | SS_NOPREFIX | WS_GROUP, 40, 10, 144, 8,
         L"Tarnwick, a shell around the browser control"},
        {IDOK, kButtonClass, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 200, 7, 50, 14, L"OK"},
        {IDC_RUN_CMD, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 11, 58, 80, 14, L"cmd.exe"},
        {IDC_RUN_REGEDIT, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 97, 58, 83, 14, L"Regedit.exe"},
        {kNoId, kButtonClass, BS_GROUPBOX, 7, 46, 243, 30, L"Debug Tools"},
        {kNoId, kStaticClass, kStatic | SS_NOPREFIX | WS_GROUP, 40, 21, 119, 8, L"Version 2.6.1.0"},
    },
};

TEST(ResourcesTest, DialogTemplatesHoldTheirControlsInTabOrder)
{
    struct DialogCase {
        const char* name;
        UINT id;
        const DialogTemplate& expected;
    };
    const DialogCase cases[] = {
        {"options dialog", IDD_OPTIONS, kOptionsDialog},
        {"about box", IDD_ABOUTBOX, kAboutBox},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(c.name);
        WordReader reader(ResourceBytes(RT_DIALOG, c.id, kJapanese));
        EXPECT_EQ(reader.Word(), 1) << "an extended template";
        EXPECT_EQ(reader.Word(), 0xFFFF);
        EXPECT_EQ(reader.DWord(), 0u) << "help id";
        EXPECT_EQ(reader.DWord(), 0u) << "extended style";
        EXPECT_EQ(reader.DWord(), c.expected.style);
        WORD nItems = reader.Word();
        const short position[] = {static_cast<short>(reader.Word()), static_cast<short>(reader.Word())};
        EXPECT_EQ(position[0], 0);
        EXPECT_EQ(position[1], 0);
        EXPECT_EQ(static_cast<short>(reader.Word()), c.expected.cx);
        EXPECT_EQ(static_cast<short>(reader.Word()), c.expected.cy);
        EXPECT_EQ(reader.NameOrOrdinal(), L"") << "no menu";
        EXPECT_EQ(reader.NameOrOrdinal(), L"") << "the system's dialog class";
        EXPECT_EQ(reader.ZeroTerminated(), c.expected.caption);
        EXPECT_EQ(reader.Word(), c.expected.pointSize);
        EXPECT_EQ(reader.Word(), FW_DONTCARE) << "weight";
        EXPECT_EQ(reader.Word(), 0x0100) << "not italic, character set 1";
        EXPECT_EQ(reader.ZeroTerminated(), c.expected.typeface);

        std::vector<DialogItem> items;
        for (WORD i = 0; i < nItems && !reader.Overran(); ++i) {
            reader.AlignToDWord();
            EXPECT_EQ(reader.DWord(), 0u) << "help id of item " << i;
            EXPECT_EQ(reader.DWord(), 0u) << "extended style of item " << i;
            DialogItem item{};
            DWORD style = reader.DWord();
            EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) << "item " << i;
            item.style = style & ~(WS_CHILD | WS_VISIBLE);
            item.x = static_cast<short>(reader.Word());
            item.y = static_cast<short>(reader.Word());
            item.cx = static_cast<short>(reader.Word());
            item.cy = static_cast<short>(reader.Word());
            item.id = reader.DWord();
            item.windowClass = reader.NameOrOrdinal();
            item.text = reader.NameOrOrdinal();
            EXPECT_EQ(reader.Word(), 0) << "no creation data for item " << i;
            items.push_back(item);
        }
        EXPECT_FALSE(reader.Overran());
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_EQ(items, c.expected.items);
    }
}

TEST(ResourcesTest, ToolbarListsTheFiveNavigationButtons)
{
    const struct {
        const char* name;
        WORD value;
    } words[] = {
        {"version", 1},
        {"image width", 23},
        {"image height", 23},
        {"button count", 5},
        {"back", ID_GO_BACK},
        {"forward", ID_GO_FORWARD},
        {"stop", ID_VIEW_STOP},
        {"refresh", ID_VIEW_REFRESH},
        {"home", ID_GO_HOME},
    };
    WordReader reader(ResourceBytes(MAKEINTRESOURCEW(RT_TOOLBAR_ID), IDR_MAINFRAME, kJapanese));
    for (const auto& w : words) EXPECT_EQ(reader.Word(), w.value) << w.name;
    EXPECT_TRUE(reader.AtEnd()) << "no separators or extra buttons";
}

TEST(ResourcesTest, BitmapsHaveTheirSizesAndDepths)
{
    struct BitmapCase {
        const char* name;
        UINT id;
        LONG width;
        LONG height;
        WORD bitCount;
    };
    const BitmapCase cases[] = {
        {"toolbar default images, 16 colours", IDR_MAINFRAME, 115, 23, 4},
        {"cold toolbar images", IDB_TOOLBAR_COLD, 207, 23, 24},
        {"hot toolbar images", IDB_TOOLBAR_HOT, 207, 23, 24},
        {"menu images", IDB_MENU_IMAGES, 144, 16, 24},
        {"menu images, 16 colours", IDB_MENU_IMAGES_16, 144, 16, 4},
        {"application images", IDB_APP_IMAGES, 96, 16, 24},
    };
    for (const BitmapCase& c : cases) {
        std::span<const BYTE> bytes = ResourceBytes(RT_BITMAP, c.id, kJapanese);
        ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER)) << c.name;
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes.data(), sizeof(header));
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER)) << c.name;
        EXPECT_EQ(header.biWidth, c.width) << c.name;
        EXPECT_EQ(header.biHeight, c.height) << c.name;
        EXPECT_EQ(header.biPlanes, 1) << c.name;
        EXPECT_EQ(header.biBitCount, c.bitCount) << c.name;
    }
}

TEST(ResourcesTest, VersionNamesTarnwick261)
{
    // VerQueryValueW wants a block it may write into, never the mapped resource itself.
    std::span<const BYTE> bytes = ResourceBytes(RT_VERSION, VS_VERSION_INFO, kJapanese);
    std::vector<BYTE> block(bytes.begin(), bytes.end());
    ASSERT_FALSE(block.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x0002'0006u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x0001'0000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x0002'0006u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x0001'0000u);

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                 &size));
    ASSERT_EQ(size, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], kJapanese);
    EXPECT_EQ(translation[1], 1200) << "Unicode";

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } values[] = {
        {L"FileDescription", L"Tarnwick"}, {L"FileVersion", L"2.6.1.0"},
        {L"InternalName", L"Tarnwick"},    {L"OriginalFilename", L"Tarnwick.EXE"},
        {L"ProductName", L"Tarnwick"},     {L"ProductVersion", L"2.6.1.0"},
    };
    for (const auto& v : values) {
        std::wstring path = L"\\StringFileInfo\\041104b0\\" + std::wstring(v.name);
        wchar_t* text = nullptr;
        ASSERT_TRUE(::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &size)) << v.name;
        EXPECT_STREQ(text, v.value) << v.name;
    }
}

}  // namespace
