#include "dalmir/model/store/opening_labels.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "core/base/safe_file.h"
#include "core/formats/kif_writer.h"
#include "core/formats/usi_reader.h"
#include "core/text/sjis.h"
#include "dalmir/model/registration/opening_labelling.h"
#include "dalmir/model/registration/registration.h"
#include "dalmir/model/search/search.h"
#include "dalmir/model/search/statistics.h"
#include "dalmir/model/store/database.h"
#include "tests/support/test_records.h"

namespace dalmir::model {
namespace {

using testsupport::TempFolder;

const char* kFourthFile =
    "7g7f 8c8d 6g6f 3c3d 2h6h 8d8e 8h7g 5a4b 5i4h 4b3b 4h3h 6a5b 3h2h 7a6b 3i3h 6c6d 6i5h 1c1d "
    "1g1f 9c9d";
const char* kBishopExchange =
    "7g7f 8c8d 2g2f 8d8e 8h7g 3c3d 7i8h 4a3b 7g2b+ 3a2b 3i3h 7a7b 1g1f 1c1d";

// A KIF file of the USI moves, as another program would have written it.
std::string writeKif(const TempFolder& folder, const std::string& name, const std::string& usi) {
    core::RecordStore store(400);
    EXPECT_EQ(core::readUsiText(store, "position startpos moves " + usi, {}).result,
              core::ReadResult::Ok);
    store.setPlayerName(core::PlayerField::Black, std::string("先手"));
    store.setPlayerName(core::PlayerField::White, std::string("後手"));
    return folder.writeBytes(name, core::kifText(store, {}));
}

// Registers the files of the folder into a new database.
void registerFolder(Database& db, const TempFolder& folder) {
    RecordExtractor extractor;
    ErrorLog log;
    OperationHost host;
    Registrar registrar(db, extractor, log, host);
    FolderAdd add;
    add.folder = folder.path();
    RunReport report = registrar.addFolder(add);
    EXPECT_EQ(report.counts.added, db.table().size());
}

// Whether the record's stored path ends in the file name (in any case and separator).
bool hasName(const IndexEntry& e, const std::string& name) {
    std::string path(e.path());
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path.ends_with(name) && path.size() > name.size() &&
           (path[path.size() - name.size() - 1] == '/' ||
            path[path.size() - name.size() - 1] == '\\');
}

// The label of the record whose file name is name.
std::string labelOf(const Database& db, const std::string& name) {
    for (int slot = 0; slot < db.table().size(); ++slot) {
        const IndexEntry& e = db.table().entry(slot);
        if (hasName(e, name)) return core::toUtf8Lossy(e.autoOpening());
    }
    ADD_FAILURE() << "no record " << name;
    return {};
}

IndexEntry& entryOf(Database& db, const std::string& name) {
    for (int slot = 0; slot < db.table().size(); ++slot) {
        if (hasName(db.table().entry(slot), name)) return db.table().entry(slot);
    }
    ADD_FAILURE() << "no record " << name;
    return db.table().entry(0);
}

TEST(OpeningLabelsTest, RegistrationLabelsAndTheLabelFileBringsThemBack) {
    TempFolder records("records");
    writeKif(records, "a.kif", kFourthFile);
    writeKif(records, "b.kif", kBishopExchange);
    TempFolder out("db");
    Database db;
    registerFolder(db, records);
    ASSERT_EQ(db.table().size(), 2);
    EXPECT_EQ(labelOf(db, "a.kif"), "▲四間飛車(美濃囲い) △居飛車(舟囲い)");
    EXPECT_EQ(labelOf(db, "b.kif"), "角換わり ▲居飛車(居玉) △居飛車(居玉)");

    const std::string path = out.file("games.dls");
    ASSERT_EQ(saveDatabase(db, path), core::WriteResult::Ok);
    ASSERT_TRUE(std::filesystem::exists(out.file("games.DOL")));
    // The index file (Shift-JIS on disk) is exactly what it is without labels.
    const std::string dls = core::cp932ToUtf8(core::readFile(path).value_or("")).value_or("");
    for (int slot = 0; slot < db.table().size(); ++slot) {
        db.table().entry(slot).setText(IndexText::AutoOpening, {});
    }
    EXPECT_EQ(formatDls(db.table()), dls);

    Database back;
    OpenReport opened = openDatabase(back, path);
    ASSERT_EQ(opened.code, OpenResult::Ok);
    EXPECT_TRUE(opened.labelsNotice.empty());
    EXPECT_EQ(labelOf(back, "a.kif"), "▲四間飛車(美濃囲い) △居飛車(舟囲い)");
    EXPECT_EQ(labelOf(back, "b.kif"), "角換わり ▲居飛車(居玉) △居飛車(居玉)");
}

TEST(OpeningLabelsTest, ALabelThatNoLongerFitsItsRecordIsNotAttached) {
    IndexTable table;
    IndexEntry a;
    a.setText(IndexText::Path, "/g/a.kif");
    a.moveCount = 40;
    a.setText(IndexText::AutoOpening, std::string("▲四間飛車 △居飛車"));
    IndexEntry b = a;
    b.setText(IndexText::Path, "/g/b.kif");
    ASSERT_GE(table.append(a), 0);
    ASSERT_GE(table.append(b), 0);
    const std::string bytes = formatOpeningLabels(table);

    IndexTable now;
    a.setText(IndexText::AutoOpening, {});
    b.setText(IndexText::AutoOpening, {});
    b.moveCount = 41;  // the record was updated since
    ASSERT_GE(now.append(a), 0);
    ASSERT_GE(now.append(b), 0);
    OpeningLabelsReport report = attachOpeningLabels(now, bytes);
    EXPECT_EQ(report.result, OpeningLabelsResult::Ok);
    EXPECT_EQ(report.attached, 1);
    EXPECT_EQ(report.unmatched, 1);
    EXPECT_EQ(now.entry(0).autoOpening(), std::string("▲四間飛車 △居飛車"));
    EXPECT_TRUE(now.entry(1).autoOpening().empty());
}

TEST(OpeningLabelsTest, DamagedOrStaleFilesAttachNothingAndSaySo) {
    IndexTable table;
    IndexEntry a;
    a.setText(IndexText::Path, "/g/a.kif");
    a.setText(IndexText::AutoOpening, std::string("相振り飛車 ▲三間飛車 △四間飛車"));
    ASSERT_GE(table.append(a), 0);
    const std::string good = formatOpeningLabels(table);

    auto attachTo = [&](const std::string& bytes) {
        IndexTable fresh;
        IndexEntry e = a;
        e.setText(IndexText::AutoOpening, {});
        EXPECT_GE(fresh.append(e), 0);
        OpeningLabelsReport r = attachOpeningLabels(fresh, bytes);
        EXPECT_TRUE(fresh.entry(0).autoOpening().empty() || r.result == OpeningLabelsResult::Ok);
        return r.result;
    };
    EXPECT_EQ(attachTo(good), OpeningLabelsResult::Ok);
    EXPECT_EQ(attachTo(good.substr(0, good.size() - 1)), OpeningLabelsResult::Damaged);
    EXPECT_EQ(attachTo(good.substr(0, 10)), OpeningLabelsResult::Damaged);
    EXPECT_EQ(attachTo(""), OpeningLabelsResult::Damaged);
    std::string flipped = good;
    flipped.back() ^= 0x01;
    EXPECT_EQ(attachTo(flipped), OpeningLabelsResult::Damaged);
    std::string otherRules = good;
    otherRules[4] = static_cast<char>(kOpeningRulesVersion + 1);
    EXPECT_EQ(attachTo(otherRules), OpeningLabelsResult::Stale);

    // The database itself opens whole beside a damaged label file, with a notice.
    TempFolder out("db");
    Database db;
    ASSERT_GE(db.append(a), 0);
    const std::string path = out.file("x.dls");
    ASSERT_EQ(saveDatabase(db, path), core::WriteResult::Ok);
    ASSERT_EQ(core::writeFileAtomically(out.file("x.DOL"), flipped), core::WriteResult::Ok);
    Database back;
    OpenReport opened = openDatabase(back, path);
    EXPECT_EQ(opened.code, OpenResult::Ok);
    EXPECT_EQ(back.table().size(), 1);
    EXPECT_TRUE(back.table().entry(0).autoOpening().empty());
    EXPECT_NE(core::toUtf8Lossy(opened.labelsNotice).find("自動戦型ファイル"), std::string::npos);
}

TEST(OpeningLabelsTest, NoLabelsWritesNoFile) {
    TempFolder out("db");
    Database db;
    IndexEntry a;
    a.setText(IndexText::Path, "/g/a.kif");
    ASSERT_GE(db.append(a), 0);
    ASSERT_EQ(saveDatabase(db, out.file("plain.dls")), core::WriteResult::Ok);
    EXPECT_FALSE(std::filesystem::exists(out.file("plain.DOL")));
}

// Records registered before labels existed get them by the command: from the move lists of a
// binary database, without reading any file.
TEST(OpeningLabelsTest, TheCommandLabelsOldRecordsOfABinaryDatabase) {
    TempFolder records("records");
    writeKif(records, "a.kif", kFourthFile);
    writeKif(records, "b.kif", kBishopExchange);
    Database db;
    db.reset(true);
    registerFolder(db, records);
    ASSERT_EQ(db.table().size(), 2);
    for (int slot = 0; slot < 2; ++slot) {
        db.table().entry(slot).setText(IndexText::AutoOpening, {});
    }
    std::filesystem::remove_all(records.path());  // the files are not needed

    RecordExtractor extractor;
    OperationHost host;
    LabelRunReport first = labelOpenings(db, extractor, host, false);
    EXPECT_EQ(first.labelled, 2);
    EXPECT_EQ(first.unreadable, 0);
    EXPECT_TRUE(db.isModified());
    EXPECT_EQ(labelOf(db, "a.kif"), "▲四間飛車(美濃囲い) △居飛車(舟囲い)");
    LabelRunReport again = labelOpenings(db, extractor, host, true);
    EXPECT_EQ(again.labelled, 0);
    EXPECT_EQ(again.unchanged, 2);

    TempFolder out("db");
    ASSERT_EQ(saveDatabase(db, out.file("games.dlb")), core::WriteResult::Ok);
    Database back;
    ASSERT_EQ(openDatabase(back, out.file("games.dlb")).code, OpenResult::Ok);
    EXPECT_EQ(labelOf(back, "b.kif"), "角換わり ▲居飛車(居玉) △居飛車(居玉)");
}

// A text database re-reads the files; one that is gone is counted, and its label is kept.
TEST(OpeningLabelsTest, TheCommandCountsRecordFilesItCannotRead) {
    TempFolder records("records");
    std::string a = writeKif(records, "a.kif", kFourthFile);
    writeKif(records, "b.kif", kBishopExchange);
    Database db;
    registerFolder(db, records);
    entryOf(db, "a.kif").setText(IndexText::AutoOpening, std::string("古い"));
    entryOf(db, "b.kif").setText(IndexText::AutoOpening, {});
    std::filesystem::remove(a);
    RecordExtractor extractor;
    OperationHost host;
    LabelRunReport report = labelOpenings(db, extractor, host, true);
    EXPECT_EQ(report.unreadable, 1);
    EXPECT_EQ(report.labelled, 1);
    EXPECT_EQ(labelOf(db, "a.kif"), "古い");
    EXPECT_EQ(core::toUtf8Lossy(entryOf(db, "b.kif").autoOpeningName()), "角換わり");
}

// The record's own 戦型 comes first; the label stands in where the record has none.
TEST(OpeningLabelsTest, HeaderSearchAndOpeningAnalysisTakeTheLabelWhereTheHeaderIsEmpty) {
    Database db;
    auto add = [&](const char* path, const char* header, const char* label, const char* name) {
        IndexEntry e;
        e.setText(IndexText::Path, path);
        e.setText(IndexText::Opening, std::string(header));
        e.setText(IndexText::AutoOpening, std::string(label));
        e.setText(IndexText::AutoOpeningName, std::string(name));
        ASSERT_GE(db.append(e), 0);
    };
    add("/g/1.kif", "", "▲四間飛車(美濃囲い) △居飛車(舟囲い)", "四間飛車");
    add("/g/2.kif", "矢倉", "角換わり ▲居飛車 △居飛車", "角換わり");
    add("/g/3.kif", "", "▲四間飛車 △居飛車穴熊", "四間飛車");
    add("/g/4.kif", "", "", "");

    HeaderCriteria c;
    c.opening = std::string("美濃囲い");
    EXPECT_TRUE(matchesHeader(db.table().entry(0), c));
    EXPECT_FALSE(matchesHeader(db.table().entry(2), c));
    c.opening = std::string("角換わり");
    EXPECT_FALSE(matchesHeader(db.table().entry(1), c));  // its header says 矢倉
    c.opening = std::string("矢倉");
    EXPECT_TRUE(matchesHeader(db.table().entry(1), c));

    std::string report = core::toUtf8Lossy(openingsReport(db.table()));
    EXPECT_NE(report.find("四間飛車：    2"), std::string::npos) << report;
    EXPECT_NE(report.find("矢倉：    1"), std::string::npos) << report;
    EXPECT_EQ(report.find("角換わり"), std::string::npos) << report;
    EXPECT_NE(report.find("（なし）：    1"), std::string::npos) << report;
}

}  // namespace
}  // namespace dalmir::model
