#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "support/fault_server.h"
#include "support/scoped_hooks.h"
#include "updater/records/archive.h"

namespace veyra::testing {
namespace {

class EntryInstallTest : public EngineTest {
 protected:
  void SetUp() override {
    MakeEngine();
    engine->BaseUrl = server.base_url();
    engine->LocalList = {"AVWSEN", ""};
  }
};

TEST_F(EntryInstallTest, FetchTakesOnlyBodiesOfTheAnnouncedLength) {
  // Content-Length 10 with 4 bytes and a dropped connection: every one of the 3 attempts fails.
  FaultServer short_body([](FaultConnection& c, const std::string&) {
    c.Send(FaultServer::Head(200, {"Content-Length: 10"}) + "abcd");
    c.Close();
  });
  engine->BaseUrl = short_body.base_url();
  std::string stream = "old";
  engine->FetchToStream("f.bin", stream);
  EXPECT_FALSE(engine->Downloaded);
  EXPECT_EQ(stream, "old");
  EXPECT_EQ(short_body.requests().size(), 3u);
  EXPECT_EQ(engine->UpdateState, UpdateStage::kNoListYet);

  // No Content-Length: only an empty body counts.
  FaultServer no_length([](FaultConnection& c, const std::string& request) {
    const bool empty = request.find("GET /empty") == 0;
    c.Send(FaultServer::Head(200, {"Connection: close"}) + (empty ? "" : "data"));
    c.Close();
  });
  engine->BaseUrl = no_length.base_url();
  engine->FetchToStream("full", stream);
  EXPECT_FALSE(engine->Downloaded);
  engine->FetchToStream("empty", stream);
  EXPECT_TRUE(engine->Downloaded);
  EXPECT_EQ(stream, "");
  EXPECT_EQ(engine->UpdateState, UpdateStage::kListReceived);
}

// Every byte of a remote name reaches the server: bytes that cannot stand in a request path
// travel percent-encoded, the rest (the folder separators and written escapes included) as
// written.
TEST_F(EntryInstallTest, FetchSendsTheRemoteNameByteForByte) {
  const struct {
    const char* name;
    const char* path;  // on the request line, without the leading '/'
  } cases[] = {
      {"Data/#p1.bin", "Data/%23p1.bin"},
      {"a?b=1.txt", "a%3Fb=1.txt"},
      {"100%.bin", "100%25.bin"},
      {"%4.bin", "%254.bin"},
      {"pack/%23pack1.adf", "pack/%23pack1.adf"},  // an escape written in the list stays one
      {"tab\tand\x7f.bin", "tab%09and%7F.bin"},
      {"\xb7s\xa4\xe5\xa5\xf3.bin", "%B7s%A4%E5%A5%F3.bin"},  // Big5
      {"q\"<>[]^`{|}.bin", "q%22%3C%3E%5B%5D%5E%60%7B%7C%7D.bin"},
      {"Data\\x.gz", "Data\\x.gz"},
      {"gz/a-b_c.d~!$&'()*+,;=:@.gz", "gz/a-b_c.d~!$&'()*+,;=:@.gz"},
  };
  for (const auto& c : cases) {
    server.Put(c.path, c.name);
    std::string stream;
    engine->FetchToStream(c.name, stream);
    EXPECT_TRUE(engine->Downloaded) << c.name;
    EXPECT_EQ(stream, c.name);
    ASSERT_FALSE(server.paths().empty());
    EXPECT_EQ(server.paths().back(), c.path);
  }
}

TEST_F(EntryInstallTest, FetchRaisesUpdateStateOnlyFromZero) {
  server.Put("a", "x");
  engine->UpdateState = UpdateStage::kMainPassRunning;
  std::string stream;
  engine->FetchToStream("a", stream);
  EXPECT_TRUE(engine->Downloaded);
  EXPECT_EQ(engine->UpdateState, UpdateStage::kMainPassRunning);
}

// Writing an archive's hundred files takes a while: messages run between its members.
TEST_F(EntryInstallTest, MessagesRunBetweenTheMembersOfAnArchive) {
  server.Put("pack.gz", GzipCompress(PackArchive({{"a.txt", "A"}, {"b.txt", "B"}})));
  bool between = false;
  ScopedPumpHook pump([&] { between |= dir.Exists("a.txt") && !dir.Exists("b.txt"); });
  engine->ApplyEntry("C pack.gz pack.unadf 1");
  EXPECT_TRUE(between);
  EXPECT_EQ(dir.Read("b.txt"), "B");
}

TEST_F(EntryInstallTest, InstallsEachMarkerAndRecordsIt) {
  server.Put("t.gz", GzipCompress("text file"));
  server.Put("raw.jpg", std::string("\xff\xd8 raw", 6));
  server.Put("plain.gz", "not gzip at all");
  server.Put("pack.gz", GzipCompress(PackArchive({{"Sub\\New\\a.txt", "AAA"}, {"b.txt", "BB"}})));

  engine->ApplyEntry("E t.gz Data\\Deep\\t.txt 0001");
  EXPECT_TRUE(engine->EntryDone);
  EXPECT_FALSE(engine->WriteFailed);
  engine->ApplyEntry("O raw.jpg Img\\raw.jpg 0002");
  engine->ApplyEntry("E plain.gz plain.txt 0003");
  engine->ApplyEntry("C pack.gz Sub\\pack.unadf 0004");
  EXPECT_TRUE(engine->EntryDone);

  EXPECT_EQ(dir.Read("Data/Deep/t.txt"), "text file");
  EXPECT_EQ(dir.Read("Img/raw.jpg"), std::string("\xff\xd8 raw", 6));
  EXPECT_EQ(dir.Read("plain.txt"), "not gzip at all");  // passed through
  EXPECT_EQ(dir.Read("Sub/New/a.txt"), "AAA");
  EXPECT_EQ(dir.Read("b.txt"), "BB");
  EXPECT_FALSE(dir.Exists("Sub/pack.unadf"));  // an archive is never written under its name
  EXPECT_EQ(engine->LocalList,
            (LineList{"AVWSEN", "", "Data\\Deep\\t.txt 0001", "Img\\raw.jpg 0002", "plain.txt 0003",
                      "Sub\\pack.unadf 0004"}));
  EXPECT_EQ(engine->ArchiveBuffer.size(), 5 + 8989u);
}

TEST_F(EntryInstallTest, OneLeadingSeparatorNamesTheSameFileTwoAreRefused) {
  server.Put("t.gz", GzipCompress("led"));
  engine->ApplyEntry("E t.gz \\Data\\led.txt 1");
  EXPECT_TRUE(engine->EntryDone);
  EXPECT_EQ(dir.Read("Data/led.txt"), "led");
  engine->ApplyEntry("E t.gz \\\\host\\share.txt 1");
  EXPECT_TRUE(engine->WriteFailed);  // refused like a locked file: nothing written or recorded
  EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", "", "\\Data\\led.txt 1"}));
}

TEST_F(EntryInstallTest, AChangedEntryReplacesItsRecordLine) {
  server.Put("x.gz", GzipCompress("new"));
  dir.Write("data/x.dat", "old content that is longer");
  engine->LocalList = {"AVWSEN", "Data\\x.dat 12", "other 1"};
  engine->ApplyEntry("U 1 E x.gz Data\\x.dat 13");
  EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", "Data\\x.dat 13", "other 1"}));
  EXPECT_EQ(dir.Read("data/x.dat"), "new");  // the existing spelling is kept and cut
}

TEST_F(EntryInstallTest, AFailedDownloadWritesAndRecordsNothing) {
  for (const char* line : {"E gone.gz a.txt 1", "O gone.bin b.txt 1", "C gone.gz c.unadf 1"}) {
    engine->ApplyEntry(line);
    EXPECT_FALSE(engine->EntryDone) << line;
  }
  EXPECT_FALSE(dir.Exists("a.txt"));
  EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", ""}));
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(EntryInstallTest, AnUnknownMarkerDoesNothing) {
  engine->ApplyEntry("X x.gz x.txt 1");
  EXPECT_FALSE(engine->EntryDone);
  EXPECT_TRUE(server.paths().empty());
}

TEST_F(EntryInstallTest, UnwritableFilesFailTheEntryForEveryMarker) {
  server.Put("e.gz", GzipCompress("e"));
  server.Put("o.bin", "o");
  // A folder where the file should go makes every write fail, also for a privileged user.
  dir.Write("e.txt/keep", "");
  dir.Write("o.txt/keep", "");
  dir.Write("m.txt/keep", "");
  server.Put("c.gz", GzipCompress(PackArchive({{"ok.txt", "1"}, {"m.txt", "2"}})));

  for (const char* line : {"E e.gz e.txt 1", "O o.bin o.txt 1", "C c.gz c.unadf 1"}) {
    engine->ApplyEntry(line);
    EXPECT_TRUE(engine->EntryDone) << line;
    EXPECT_TRUE(engine->WriteFailed) << line;
  }
  EXPECT_EQ(view.messages, (std::vector<std::string>{
                               "e.txt:update failed, please close all programs and try again.",
                               "o.txt:update failed, please close all programs and try again.",
                               "c.unadf:update failed, please close all programs and try again."}));
  EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", ""}));
}

TEST_F(EntryInstallTest, HostileNamesAreNeverWritten) {
  server.Put("e.gz", GzipCompress("evil"));
  // The writer refuses such names, so the second member's name is put in by hand.
  std::string archive = PackArchive({{"fine.txt", "1"}, {"aa\\aa\\evil.txt", "2"}});
  archive.replace(archive.size() - kArchiveDirectorySize + 2 * kArchiveSlotSize + 9, 14,
                  "..\\..\\evil.txt");
  server.Put("c.gz", GzipCompress(archive));
  engine->ApplyEntry("E e.gz ..\\outside.txt 1");
  EXPECT_TRUE(engine->WriteFailed);
  EXPECT_TRUE(server.paths().empty());  // not even downloaded
  engine->ApplyEntry("C c.gz pack.unadf 1");
  EXPECT_TRUE(engine->WriteFailed);
  EXPECT_FALSE(dir.Exists("fine.txt"));  // the whole archive is refused before writing
  EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "outside.txt"));
  EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", ""}));
}

#ifndef _WIN32  // symbolic links
// Links planted in the game folder, followed, would let the updater write wherever they point.
TEST_F(EntryInstallTest, PlantedLinksFailTheEntryAndChangeNothingOutside) {
  struct Case {
    const char* what;
    const char* link;         // planted in the game folder
    const char* link_target;  // in the folder beside it
    const char* line;
    const char* shown_name;
  };
  const Case cases[] = {
      {"folder link", "Data", ".", "E e.gz Data\\Talk.Dat 1", "Data\\Talk.Dat"},
      {"folder link, other case", "Data", ".", "E e.gz dATA\\tALK.dAT 1", "dATA\\tALK.dAT"},
      {"file link", "Data/Talk.Dat", "victim", "O o.bin DATA\\TALK.DAT 1", "DATA\\TALK.DAT"},
      {"dangling file link", "Data/Talk.Dat", "absent", "E e.gz Data\\Talk.Dat 1",
       "Data\\Talk.Dat"},
      {"archive member through a folder link", "Data", ".", "C c.gz c.unadf 1", "c.unadf"},
      {"page through a link", "index2.html", "victim", "E e.gz index2.html 1", "index2.html"},
  };
  server.Put("e.gz", GzipCompress("new"));
  server.Put("o.bin", "new");
  server.Put("c.gz", GzipCompress(PackArchive({{"data\\talk.dat", "new"}})));
  const std::filesystem::path outside = dir.path().parent_path() / "outside";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(outside);
    std::filesystem::remove_all(dir.path() / "Data");
    std::filesystem::remove(dir.path() / "index2.html");
    dir.Write("../outside/victim", "outside");
    std::filesystem::create_directories((dir.path() / c.link).parent_path());
    std::filesystem::create_symlink(outside / c.link_target, dir.path() / c.link);
    view.messages.clear();

    engine->ApplyEntry(c.line);
    EXPECT_TRUE(engine->WriteFailed);
    EXPECT_EQ(view.messages,
              std::vector<std::string>{std::string(c.shown_name) +
                                       ":update failed, please close all programs and try again."});
    EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", ""}));
    EXPECT_EQ(dir.Read("../outside/victim"), "outside");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outside),
                            std::filesystem::directory_iterator()),
              1);
  }
}
#endif

TEST_F(EntryInstallTest, AFileThePlayerMadeReadOnlyIsAWriteFailure) {
  server.Put("e.gz", GzipCompress("new"));
  dir.Write("Data/Talk.Dat", "old");
  std::filesystem::permissions(dir.path() / "Data" / "Talk.Dat",
                               std::filesystem::perms::owner_read);
  engine->ApplyEntry("E e.gz Data\\Talk.Dat 1");
  EXPECT_TRUE(engine->WriteFailed);
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(dir.Read("Data/Talk.Dat"), "old");
  EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", ""}));
}

TEST_F(EntryInstallTest, ExpansionFailuresLeaveAsTheReadersError) {
  std::string corrupt = GzipCompress("some content to damage");
  corrupt[corrupt.size() - 6] ^= 1;  // CRC no longer matches
  server.Put("bad.gz", corrupt);
  server.Put("cut.gz", GzipCompress(std::string(5000, 'x')).substr(0, 15));
  std::string method7 = GzipCompress("x");
  method7[2] = 7;
  server.Put("m7.gz", method7);

  auto message_of = [&](const std::string& line) -> std::string {
    try {
      engine->ApplyEntry(line);
    } catch (const Error& error) {
      return error.what();
    }
    return "no error";
  };
  EXPECT_EQ(message_of("E bad.gz a.txt 1"), "data error");
  EXPECT_EQ(message_of("C cut.gz b.unadf 1"), "data error");
  EXPECT_EQ(message_of("E m7.gz c.txt 1"), "error zip format");
  EXPECT_FALSE(engine->EntryDone);
  EXPECT_FALSE(dir.Exists("a.txt"));
  EXPECT_EQ(engine->LocalList, (LineList{"AVWSEN", ""}));
}

TEST_F(EntryInstallTest, WriteFailureMessagesFollowTheDisplayLanguage) {
  server.Put("e.gz", GzipCompress("e"));
  const std::string line = "E e.gz \xa4\xa4.txt 1";  // a Big5 name
  const std::string fixed_big5 =
      "\xa7\xf3\xb7\x73\xa5\xa2\xb1\xd1\xa1\x41\xbd\xd0\xb1\x4e\xa9\xd2\xa6\xb3\xb5\x7b\xa6\xa1"
      "\xc3\xf6\xb3\xac\xa6\x41\xb9\xc1\xb8\xd5\xa7\xf3\xb7\x73\xa4\x40\xa6\xb8\xa1\x43";
  for (const std::string language : {"t", "s"}) {
    view.messages.clear();
    MakeEngine(language);
    // A folder in the way of the file, under the name as this language reads it.
    std::filesystem::create_directories(MapPath(dir.folder() + "\xa4\xa4.txt") / "keep");
    engine->BaseUrl = server.base_url();
    engine->ApplyEntry(line);
    ASSERT_EQ(view.messages.size(), 1u);
    const std::string& text = view.messages[0];
    EXPECT_EQ(text.substr(0, 6), "\xa4\xa4.txt");  // the name is never converted
    if (language == "t") {
      EXPECT_EQ(text.substr(6), fixed_big5);
    } else {
      EXPECT_NE(text.substr(6), fixed_big5);
      EXPECT_EQ(text.substr(6, 2), "\xb8\xfc");  // 更 in GB2312
    }
  }
}

}  // namespace
}  // namespace veyra::testing

namespace veyra::testing {
namespace {

TEST_F(EntryInstallTest, ChineseNamesLandAsTextOfThisSystem) {
  MakeEngine("t");
  engine->BaseUrl = server.base_url();
  server.Put("f.gz", GzipCompress("features"));
  engine->ApplyEntry("E f.gz Data\\\xa5\x5c\xaf\xe0.txt 1");  // Data\功能.txt in Big5
  EXPECT_FALSE(engine->WriteFailed);
  EXPECT_EQ(dir.Read("Data/功能.txt"), "features");
  EXPECT_EQ(engine->LocalList.back(), "Data\\\xa5\x5c\xaf\xe0.txt 1");  // recorded as listed
}

}  // namespace
}  // namespace veyra::testing

namespace veyra::testing {
namespace {

std::string Noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 23);
  }
  return bytes;
}

// Large images are expanded while they arrive; the outcome must not change.
TEST_F(EntryInstallTest, LargeFilesComeOutTheSameWhenExpandedWhileArriving) {
  const std::string content = Noise(3 * 1024 * 1024, 7) + std::string(2 * 1024 * 1024, 'q');
  server.Put("big.gz", GzipCompress(content, 1));
  std::string damaged = GzipCompress(content, 1);
  damaged[damaged.size() - 5] ^= 0x01;  // the stored length no longer matches
  server.Put("damaged.gz", damaged);

  engine->ApplyEntry("E big.gz big.bin 1");
  EXPECT_TRUE(engine->EntryDone);
  EXPECT_EQ(dir.Read("big.bin"), content);
  try {
    engine->ApplyEntry("E damaged.gz damaged.bin 1");
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "data error");
  }
  EXPECT_FALSE(dir.Exists("damaged.bin"));
}

}  // namespace
}  // namespace veyra::testing
