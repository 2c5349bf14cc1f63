// Writes the seed corpora of the fuzz targets into FOLDER/<target>/: records drawn by the test
// suite's generator and written by the program's own writers, databases registered from them,
// settings files of the program's defaults, the default templates and a few search patterns.
//   make_fuzz_seeds FOLDER [RECORDS]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/formats/csa_writer.h"
#include "core/formats/ki2_writer.h"
#include "core/formats/kif_writer.h"
#include "core/formats/usi.h"
#include "core/templates/template_contexts.h"
#include "core/templates/text_output_options.h"
#include "core/text/sjis.h"
#include "dalmir/model/store/binary_store.h"
#include "dalmir/model/table/dls_file.h"
#include "dalmir/model/table/record_extractor.h"
#include "tavrel/settings/environment_file.h"
#include "tavrel/settings/ftp_settings.h"
#include "tests/support/random_record.h"
#include "tests/support/test_records.h"
#if __has_include("core/formats/jkf_writer.h")
#include "core/formats/jkf_writer.h"
#define TAVREL_FUZZ_JKF 1
#endif

namespace {

namespace fs = std::filesystem;

class Corpus {
public:
    Corpus(const fs::path& root, const std::string& target) : m_folder(root / target) {
        fs::create_directories(m_folder);
    }
    void add(std::string_view bytes) {
        std::ofstream out(m_folder / ("seed-" + std::to_string(m_count++)), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path m_folder;
    int m_count = 0;
};

std::string utf8Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += std::string(l) + "\r\n";
    return text;
}

// KIF, KI2 and CSA texts of generated records, and the databases registered from the KIF files.
void recordSeeds(const fs::path& root, int records) {
    Corpus kif(root, "kif_reader");
    Corpus kifRoundTrip(root, "kif_round_trip");
    Corpus csa(root, "csa_reader");
    Corpus dls(root, "dls_round_trip");
    Corpus pair(root, "binary_pair");
    Corpus usi(root, "usi_reader");
#ifdef TAVREL_FUZZ_JKF
    Corpus jkf(root, "jkf_reader");
#endif

    std::mt19937 rng(20130201);
    testsupport::RandomRecordOptions small;
    small.minPlies = 4;
    small.maxPlies = 40;
    small.handicapPercent = 30;
    small.variationPercent = 50;
    small.commentPercent = 50;
    small.bookmarkPercent = 40;
    core::RecordStore store;
    core::RecordWriteOptions options;
    testsupport::TempFolder folder("tavrel_fuzz_seeds");
    std::vector<std::string> paths;
    for (int i = 0; i < records; ++i) {
        testsupport::makeRandomRecord(store, rng, small);
        const std::string text = core::kifText(store, options);
        kif.add(text);
        kif.add(core::ki2Text(store, options));
        kifRoundTrip.add(text);
        csa.add(core::csaText(store));
        usi.add(core::usiPositionCommand(store));
#ifdef TAVREL_FUZZ_JKF
        jkf.add(core::jkfText(store, options));
#endif
        paths.push_back(folder.writeBytes("r" + std::to_string(i) + ".kif", text));
    }
    // A hand-written record of the test helpers, with its UTF-8 form.
    const std::string sample = utf8Lines(
        testsupport::kifRecord({"７六歩(77)", "３四歩(33)", "２六歩(27)", "８四歩(83)", "投了"}));
    kif.add(sample);
    kif.add(core::toUtf8Lossy(sample));

    // Databases of three records each, as text and as the binary pair (KIX length first).
    dalmir::model::RecordExtractor extractor;
    for (std::size_t first = 0; first + 3 <= paths.size(); first += 3) {
        dalmir::model::Database db;
        for (std::size_t k = first; k < first + 3; ++k) {
            dalmir::model::IndexEntry entry;
            if (extractor.extract(paths[k], entry) != dalmir::model::ExtractResult::Ok) continue;
            std::vector<dalmir::model::ListMove> list;
            extractor.buildMoveList(list);
            db.setBinary(true);
            (void)db.append(std::move(entry), std::move(list));
        }
        db.table().rebuildDisplayOrder();
        dls.add(dalmir::model::formatDls(db.table()));
        const std::string kix =
            dalmir::model::formatDls(db.table(), dalmir::model::DlsWriteMode::AllSlots);
        if (kix.size() > 0xFFFF) continue;
        std::string bytes = {static_cast<char>(kix.size() & 0xFF),
                             static_cast<char>(kix.size() >> 8)};
        bytes += kix;
        bytes += dalmir::model::formatDlb(db.lists(), db.table().size());
        pair.add(bytes);
    }
}

void settingsSeeds(const fs::path& root) {
    Corpus env(root, "environment_file");
    tavrel::Settings settings;
    env.add(tavrel::formatEnvironmentText(settings));
    (void)tavrel::setFromKeyValue(settings, std::string("棋譜最大サイズ"), "3000");
    (void)tavrel::setFromKeyValue(settings, std::string("盤面色"), "0 128 255");
    (void)tavrel::setFromKeyValue(settings, std::string("ツール引数1"), "\"\\\"%K\\\"\"");
    env.add(tavrel::formatEnvironmentText(settings));

    Corpus ftp(root, "ftp_settings");
    tavrel::FtpSettings destinations;
    destinations.entries.push_back({tavrel::ftpSettingName(1), "ftp.example.jp", "user",
                                    "pass word~", "/public/kifu", true, true});
    destinations.entries.push_back(
        {std::string("自宅"), "192.0.2.1", "anonymous", "", "", false, false});
    destinations.selection = 1;
    ftp.add(tavrel::formatFtpSettings(destinations));
    ftp.add(tavrel::formatFtpSettings({}));
}

void templateSeeds(const fs::path& root) {
    Corpus corpus(root, "template_expander");
    const core::TextOutputOptions o;
    using C = core::TemplateContext;
    const std::vector<std::pair<C, std::string>> templates = {
        {C::InfoLine, o.infoTemplates[0]},
        {C::InfoLine, o.problemInfoTemplates[0]},
        {C::PositionFile, o.positionTemplate},
        {C::PositionClipboard, o.positionTemplate + "%I%0i%\"none.txt\""},
        {C::EnglishBoard, o.englishTemplate},
        {C::MailFile, o.mailTemplate1},
        {C::MailClipboard, o.mailTemplate2},
        {C::MailLink, o.mailSubject},
        {C::SimpleMail, o.mailBody},
        {C::PrintPosition, o.printPositionTemplate},
        {C::PrintRecord, o.printRecordTemplate},
        {C::ImageName, o.imageNameTemplate},
        {C::ToolCommand, "\"%F\" %p %P %h %G %E %1 %2 %3 %4 %5 %/1 %T %M %x %%"},
    };
    for (const auto& [context, tpl] : templates) {
        for (char select : {'\0', '\x05', '\x0e', '\x1b'}) {
            std::string bytes = {static_cast<char>(context), select};
            corpus.add(bytes + tpl);
        }
    }
}

// A libFuzzer dictionary FOLDER/<target>.dict of the tokens (UTF-8 in the source, CP932 in the
// dictionary unless raw).
void writeDictionary(const fs::path& root, const std::string& target,
                     const std::vector<std::string>& utf8Tokens, bool raw = false) {
    std::ofstream out(root / (target + ".dict"), std::ios::binary);
    for (const std::string& token : utf8Tokens) {
        out << '"';
        for (unsigned char c : raw ? token : std::string(token)) {
            if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
                out << static_cast<char>(c);
            } else {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out << hex;
            }
        }
        out << "\"\n";
    }
}

void dictionaries(const fs::path& root) {
    std::vector<std::string> kif = {"開始日時：",
                                    "終了日時：",
                                    "棋戦：",
                                    "戦型：",
                                    "手合割：",
                                    "先手：",
                                    "後手：",
                                    "下手：",
                                    "上手：",
                                    "表題：",
                                    "持ち時間：",
                                    "消費時間：",
                                    "場所：",
                                    "掲載：",
                                    "作者：",
                                    "発表誌：",
                                    "備考：",
                                    "手数----指手---------消費時間--",
                                    "変化：",
                                    "手",
                                    "まで",
                                    "先手の持駒：",
                                    "後手の持駒：",
                                    "下手の持駒：",
                                    "上手の持駒：",
                                    "なし",
                                    "先手番",
                                    "後手番",
                                    "上手番",
                                    "下手番",
                                    "盤面回転",
                                    "*",
                                    "&",
                                    "+",
                                    "同　",
                                    "打",
                                    "成",
                                    "不成",
                                    "右",
                                    "左",
                                    "上",
                                    "引",
                                    "寄",
                                    "直",
                                    "行",
                                    "入",
                                    "投了",
                                    "中断",
                                    "千日手",
                                    "詰み",
                                    "持将棋",
                                    "切れ負け",
                                    "反則勝ち",
                                    "反則負け",
                                    "入玉勝ち",
                                    "不詰",
                                    "歩",
                                    "香",
                                    "桂",
                                    "銀",
                                    "金",
                                    "角",
                                    "飛",
                                    "玉",
                                    "王",
                                    "と",
                                    "成香",
                                    "成桂",
                                    "成銀",
                                    "馬",
                                    "龍",
                                    "竜",
                                    "杏",
                                    "圭",
                                    "全",
                                    "▲",
                                    "△",
                                    "▽",
                                    "１",
                                    "２",
                                    "５",
                                    "９",
                                    "一",
                                    "二",
                                    "五",
                                    "九",
                                    "十",
                                    "(77)",
                                    "(11)",
                                    "(99)",
                                    "( 0:10/00:00:10)",
                                    "|",
                                    "|一",
                                    "|九",
                                    "+---------------------------+",
                                    "  ９ ８ ７ ６ ５ ４ ３ ２ １",
                                    " ・",
                                    "v",
                                    "平手",
                                    "香落ち",
                                    "角落ち",
                                    "飛車落ち",
                                    "二枚落ち",
                                    "四枚落ち",
                                    "六枚落ち",
                                    "八枚落ち",
                                    "十枚落ち",
                                    "その他",
                                    "詰将棋",
                                    "#KIF version=2.0 encoding=UTF-8",
                                    "\r\n",
                                    "   1 ",
                                    "  10 "};
    writeDictionary(root, "kif_reader", kif);
    writeDictionary(root, "kif_round_trip", kif);
    writeDictionary(
        root, "template_expander",
        {"%",   "%%",  "%c", "%n", "%N",  "%a", "%A", "%l", "%L", "%p",  "%P", "%+", "%o",
         "%O",  "%h",  "%g", "%G", "%e",  "%E", "%i", "%I", "%0", "%0i", "%1", "%5", "%/",
         "%/1", "%/4", "%*", "%d", "%v",  "%k", "%K", "%D", "%C", "%f",  "%F", "%M", "%x",
         "%y",  "%t",  "%T", "%{", "%\"", "\"", "&",  "&C", "&&", "表"});
    std::vector<std::string> csa = {"V2.2",
                                    "V3.0",
                                    "N+",
                                    "N-",
                                    "$EVENT:",
                                    "$SITE:",
                                    "$START_TIME:",
                                    "$END_TIME:",
                                    "$TIME_LIMIT:",
                                    "$TIME:",
                                    "$OPENING:",
                                    "$MAX_MOVES:",
                                    "$NOTE:",
                                    "PI",
                                    "P1",
                                    "P5",
                                    "P9",
                                    "P+",
                                    "P-",
                                    "00AL",
                                    "+",
                                    "-",
                                    "00",
                                    "FU",
                                    "KY",
                                    "KE",
                                    "GI",
                                    "KI",
                                    "KA",
                                    "HI",
                                    "OU",
                                    "TO",
                                    "NY",
                                    "NK",
                                    "NG",
                                    "UM",
                                    "RY",
                                    " * ",
                                    "T",
                                    ",T",
                                    "%TORYO",
                                    "%CHUDAN",
                                    "%SENNICHITE",
                                    "%TIME_UP",
                                    "%ILLEGAL_MOVE",
                                    "%+ILLEGAL_ACTION",
                                    "%-ILLEGAL_ACTION",
                                    "%JISHOGI",
                                    "%KACHI",
                                    "%HIKIWAKE",
                                    "%TSUMI",
                                    "%FUZUMI",
                                    "%ERROR",
                                    "%MATTA",
                                    "'*",
                                    "'",
                                    "/",
                                    "'encoding=Shift_JIS",
                                    "'encoding=UTF-8",
                                    "'CSA encoding=SHIFT_JIS",
                                    "+7776FU",
                                    "-3334FU",
                                    "+0055KA",
                                    "\r\n"};
    writeDictionary(root, "csa_reader", csa);
    writeDictionary(
        root, "sequence_pattern",
        {"+",  "-", "▲",  "△",  "▽",  "先手", "後手", "下手", "上手", "同", "*",      "＊",
         "X",  "×", "＃", "打", "成", "不成", "不",   "移",   "取",   "合", "移動合", "投",
         "詰", "#", ",",  "　", "歩", "と",   "香",   "成香", "竜",   "龍", "王",     "玉"});
    std::vector<std::string> dls = {"# Dalmir V6.20", "$",    ":",    "\"", ",",
                                    "000001,",        "\r\n", "6.20", "5.1"};
    writeDictionary(root, "dls_round_trip", dls, true);
    std::vector<std::string> env;
    for (const std::string& key : tavrel::environmentKeys()) env.push_back(core::toUtf8Lossy(key));
    for (const char* word : {" : ", "\"", "\\\"", "\r\n", "#", "設定数", "選択", "設定名", "サーバ",
                             "ユーザ", "パスワード", "PASV", "フォルダ", "01", "02"}) {
        env.push_back(word);
    }
    writeDictionary(root, "environment_file", env);
    writeDictionary(root, "ftp_settings", env);
#ifdef TAVREL_FUZZ_JKF
    writeDictionary(root, "jkf_reader", {"{",           "}",           "[",
                                         "]",           ":",           ",",
                                         "\"header\"",  "\"initial\"", "\"preset\"",
                                         "\"data\"",    "\"board\"",   "\"hands\"",
                                         "\"color\"",   "\"moves\"",   "\"move\"",
                                         "\"from\"",    "\"to\"",      "\"x\"",
                                         "\"y\"",       "\"piece\"",   "\"same\"",
                                         "\"promote\"", "\"capture\"", "\"relative\"",
                                         "\"forks\"",   "\"special\"", "\"comments\"",
                                         "\"time\"",    "\"now\"",     "\"total\"",
                                         "\"h\"",       "\"m\"",       "\"s\"",
                                         "\"kind\"",    "\"HIRATE\"",  "\"OTHER\"",
                                         "\"TORYO\"",   "\"CHUDAN\"",  "\"FU\"",
                                         "\"HI\"",      "\"OU\"",      "\"RY\"",
                                         "true",        "false",       "null",
                                         "\\u",         "0",           "-1",
                                         "9",           "10"},
                    true);
#endif
}

// USI texts of every form, and the request lines of the database's socket.
void protocolSeeds(const fs::path& root) {
    Corpus usi(root, "usi_reader");
    for (const char* text : {"position startpos moves 7g7f 3c3d 8h2b+ 3a2b B*4e",
                             "sfen lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1",
                             "position sfen 4k4/9/9/9/9/9/9/+P+P+P+P+P/4K4 b R2r14p 1 moves R*5b",
                             "startpos", "sfen kkkkkkkkk/9/9/9/9/9/9/9/4K4 b - 1"}) {
        usi.add(text);
    }
    Corpus requests(root, "request_line");
    for (const char* text : {"SHOW\n", "F4\r\n", " F5 \n1324\n", "F45\nf5\n"}) {
        requests.add(text);
    }
}

void patternSeeds(const fs::path& root) {
    Corpus corpus(root, "sequence_pattern");
    for (const char* p : {"+76歩,-34歩　+26歩 -84歩", "△同銀不成", "**角打", "5*王", "22成香合",
                          "22竜移動合", "-11×取", "55＃移", "55と成", "投", "+76歩 # -34歩"}) {
        corpus.add(std::string(p));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER [RECORDS]\n");
        return 2;
    }
    const fs::path root = argv[1];
    const int records = argc > 2 ? std::atoi(argv[2]) : 24;
    recordSeeds(root, records);
    settingsSeeds(root);
    templateSeeds(root);
    patternSeeds(root);
    protocolSeeds(root);
    dictionaries(root);
    return 0;
}
