// Failing disks, killed saves, permissions, hostile files: no crash, hang, loss, or failure called success.
#include "ScriptedUi.h"
#include "TestUtil.h"

#include "app/document/Document.h"
#include "app/document/Settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quenvel;
using namespace quenvel::test;

extern char **environ;

namespace {

bool Exists(const std::string &path)
{
    return std::filesystem::exists(std::filesystem::symlink_status(path));
}

// The names in a folder, sorted.
std::vector<std::string> Names(const std::string &dir)
{
    std::vector<std::string> v;
    for (const auto &e : std::filesystem::directory_iterator(dir))
        v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
}

} // namespace

// A disk full at any length: the old file stays, no temporary file is left, still modified, the error said.
TEST(FaultInjection, DiskFullAtEveryPointKeepsTheOldFile)
{
    TTempDir t;
    const std::string old = RandomBytes(3000, 1);
    std::string text;
    for (int i = 0; i < 120; ++i)
        text += "PROC p" + std::to_string(i) + ":\r\n\tPRINT \"{x}\\\x02" "bold\x02\"\r\n";
    for (const char *name : {"doc.opl", "doc.rtf"}) {
        const std::string path = t / name;
        WriteFile(path, old);
        TDocument doc;
        TScriptedUi ui;
        ui.saveName = path;
        LoadString(doc.Memo(), text);
        doc.Memo().SetModified(true);
        TMemoryStream whole;
        doc.Memo().SaveToStream(whole);
        const int64_t size = static_cast<int64_t>(whole.Size()) + 2000; // RTF is larger
        int tries = 0;
        for (int64_t n = 0; n < size; n += n < 40 ? 1 : 211, ++tries) {
            TFileStream::SetWriteLimitForTesting(n);
            try {
                ui.saveName = path;
                doc.SaveAs(ui);
                TFileStream::SetWriteLimitForTesting(-1);
                EXPECT_GE(n, static_cast<int64_t>(ReadFile(path).size())) << "a save past the limit succeeded";
                break;
            } catch (const std::exception &e) {
                TFileStream::SetWriteLimitForTesting(-1);
                EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
            }
            ASSERT_EQ(ReadFile(path), old) << name << " after failing at byte " << n;
            ASSERT_TRUE(doc.Memo().Modified());
            ASSERT_EQ(Names(t.path).size(), 1u + (Exists(t / "doc.opl") && Exists(t / "doc.rtf"))) << "stray file";
        }
        EXPECT_GT(tries, 40);
        TFileStream::SetWriteLimitForTesting(-1);
        ASSERT_TRUE(doc.SaveAs(ui));
        EXPECT_TRUE(!doc.Memo().Modified() && ReadFile(path) != old);
    }
    // the settings file: the same
    const std::string ini = "[Edition]\nTabs=4\n";
    WriteFile(t / "q.ini", ini);
    TProfile p;
    p.Parse(ini + "[Font]\nType=Courier\n");
    for (int64_t n = 0; n < 30; n += 3) {
        TFileStream::SetWriteLimitForTesting(n);
        EXPECT_THROW(p.Save(t / "q.ini"), EStreamError);
        TFileStream::SetWriteLimitForTesting(-1);
        ASSERT_EQ(ReadFile(t / "q.ini"), ini);
    }
}

// A save killed at any moment leaves the old file or the new, never a mixture (maybe a hidden temp file).
TEST(FaultInjection, KilledSaveLeavesOldOrNewNeverAMixture)
{
    TTempDir t;
    std::string big;
    for (int i = 0; big.size() < (16u << 20); ++i)
        big += "PROC p" + std::to_string(i) + ":\r\n\tPRINT \"line\"," + std::to_string(i) + "\r\nENDP\r\n";
    WriteFile(t / "in.opl", big);
    const std::string old = "the old program\r\n", target = t / "prog.opl";
    // a save, killed after `wait` microseconds (or left to finish); how long it took
    auto save = [&](int64_t wait) {
        WriteFile(target, old);
        std::string bin = QUENVEL_BINARY, in = t / "in.opl", out = target, convert = "--convert";
        char *argv[] = {bin.data(), convert.data(), in.data(), out.data(), nullptr};
        const auto t0 = std::chrono::steady_clock::now();
        pid_t pid = 0;
        EXPECT_EQ(::posix_spawn(&pid, bin.c_str(), nullptr, nullptr, argv, environ), 0);
        if (wait >= 0) {
            ::usleep(static_cast<useconds_t>(wait));
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count();
    };
    const int64_t whole = save(-1);
    ASSERT_EQ(ReadFile(target), big);
    int sawOld = 0;
    for (int k = 0; k < 12; ++k) {
        save(whole * k / 10);
        const std::string now = ReadFile(target);
        ASSERT_TRUE(now == old || now == big) << "killed after " << k << "/10 of a save: " << now.size() << " bytes";
        sawOld += now == old;
        for (const std::string &name : Names(t.path))
            EXPECT_TRUE(name == "in.opl" || name == "prog.opl" || name.rfind(".prog.opl.", 0) == 0) << name;
    }
    EXPECT_GT(sawOld, 0) << "no kill landed inside a save";
}

// Unreadable or unwritable paths (run as nobody): a clear message, exit status 2, nothing lost.
TEST(FaultInjection, PermissionsAndMissingPaths)
{
    std::string as;
    if (::geteuid() == 0) {
        if (std::system("command -v setpriv >/dev/null") != 0)
            GTEST_SKIP() << "running as root without setpriv: permissions cannot be tested";
        as = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
    TTempDir t;
    ::chmod(t.path.c_str(), 0777);
    for (const auto &[name, text, mode] : {std::tuple{"in.opl", "PROC a:\r\nENDP", 0644}, {"secret.opl", "hidden", 0}}) {
        WriteFile(t / name, text);
        ::chmod((t / name).c_str(), mode);
    }
    ::mkdir((t / "ro").c_str(), 0777);
    WriteFile(t / "ro/out.opl", "old");
    ::chmod((t / "ro/out.opl").c_str(), 0666);
    ::chmod((t / "ro").c_str(), 0555);
    ::mkdir((t / "folder.opl").c_str(), 0777);
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"in.opl", "ro/new.opl", "Cannot create file " + (t / "ro/new.opl")},
        {"in.opl", "no/such/dir/out.opl", "Cannot create file"},
        {"secret.opl", "out1.opl", "Cannot open file " + (t / "secret.opl")},
        {"folder.opl", "out3.opl", "(it is a folder)"},
        {"in.opl", "ro/out.opl", ""}, // a writable file in a folder that takes no new file: in place
    };
    for (const auto &[in, out, says] : cases) {
        const TRun r = RunProgram("--convert " + Q(t / in) + " " + Q(t / out), as);
        EXPECT_EQ(r.status, says.empty() ? 0 : 2) << in << " -> " << out;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFile(t / "ro/out.opl"), "PROC a:\r\nENDP");
    ::chmod((t / "ro").c_str(), 0755);
    ::chmod((t / "secret.opl").c_str(), 0600);
    EXPECT_EQ(Names(t / "ro"), std::vector<std::string>{"out.opl"});
    EXPECT_EQ(Names(t.path), (std::vector<std::string>{"folder.opl", "in.opl", "ro", "secret.opl"}));
    EXPECT_EQ(ReadFile(t / "secret.opl"), "hidden");
}

// Save and --convert follow links, rewrite hard-linked files in place, refuse FIFOs, devices and folders.
TEST(HostileFiles, EveryWriterAgainstEveryKindOfTarget)
{
    for (const bool window : {true, false}) {
        TTempDir t;
        WriteFile(t / "in.opl", "new text");
        WriteFile(t / "real.opl", "old");
        ::chmod((t / "real.opl").c_str(), 0640);
        ASSERT_EQ(::symlink("real.opl", (t / "link.opl").c_str()), 0);
        ASSERT_EQ(::symlink("made.opl", (t / "dangling.opl").c_str()), 0);
        WriteFile(t / "h1.opl", "old");
        ASSERT_EQ(::link((t / "h1.opl").c_str(), (t / "h2.opl").c_str()), 0);
        ASSERT_EQ(::mkfifo((t / "fifo.opl").c_str(), 0644), 0);
        ASSERT_EQ(::symlink("/dev/null", (t / "device.opl").c_str()), 0);
        ::mkdir((t / "dir.opl").c_str(), 0755);
        auto write = [&](const std::string &name) -> std::string {
            if (!window) {
                const TRun r = RunProgram("--convert " + Q(t / "in.opl") + " " + Q(t / name));
                return r.status == 0 ? "" : r.err.empty() ? "failed" : r.err;
            }
            TDocument doc;
            TScriptedUi ui;
            doc.LoadFile(t / "in.opl");
            doc.SetFileName(t / name);
            doc.Memo().SetModified(true);
            try {
                doc.Save(ui);
                return doc.Memo().Modified() ? "still modified" : "";
            } catch (const std::exception &e) {
                EXPECT_TRUE(doc.Memo().Modified());
                return e.what();
            }
        };
        const char *how = window ? "Save" : "--convert";
        WriteFile(t / "locked.opl", "old");
        ::chmod((t / "locked.opl").c_str(), 0444);
        const std::pair<const char *, const char *> writes[] = {
            {"link.opl", ""}, {"dangling.opl", ""}, {"h1.opl", ""}, {"fifo.opl", "Cannot create file"},
            {"device.opl", "Cannot create file"}, {"dir.opl", "(it is a folder)"}, {"locked.opl", "(it is read-only)"}};
        for (const auto &[name, says] : writes) {
            const std::string error = write(name);
            EXPECT_TRUE(*says ? error.find(says) != std::string::npos : error.empty()) << how << " " << name << ": " << error;
        }
        for (const auto &[name, text] : {std::pair{"real.opl", "new text"}, {"made.opl", "new text"}, {"h2.opl", "new text"},
                                         {"locked.opl", "old"}})
            EXPECT_EQ(ReadFile(t / name), text) << how << " " << name;
        struct stat st{};
        EXPECT_TRUE(::lstat((t / "link.opl").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
        EXPECT_TRUE(::stat((t / "real.opl").c_str(), &st) == 0 && (st.st_mode & 07777) == 0640) << "permissions kept";
        EXPECT_TRUE(::stat((t / "h1.opl").c_str(), &st) == 0 && st.st_nlink == 2u);
        EXPECT_TRUE(::lstat((t / "fifo.opl").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
        for (const std::string &name : Names(t.path))
            EXPECT_NE(name[0], '.') << how << ": stray temporary " << name;
    }
}

// A settings file of junk, enormous lines, or a FIFO: no hang, usable values, written back intact.
TEST(HostileFiles, SettingsFileJunk)
{
    TTempDir t;
    WriteFile(t / "junk.ini", RandomBytes(100000, 3));
    WriteFile(t / "long.ini", "[Edition]\nTabs=" + std::string(3u << 20, '9') + "\n[Font]\nSize=12\n");
    WriteFile(t / "huge.ini", std::string(5u << 20, '['));
    ASSERT_EQ(::mkfifo((t / "fifo.ini").c_str(), 0644), 0);
    // entries are written with LF; lines that are no entries stay as read, CRs included,
    // however often the file is read and written
    WriteFile(t / "crlf.ini", "[Edition]\r\nTabs=4\r\n; mine\r\r\n[Other]\r\nKept=1\r\n");
    const std::string once = "[Edition]\nTabs=4\n; mine\r\r\n[Other]\nKept=1\n";
    for (int round = 0; round < 3; ++round) {
        TProfile p;
        ASSERT_TRUE(p.Load(t / "crlf.ini"));
        EXPECT_EQ(TSettings::Read(p, 1024, 768).Tabs, 4);
        p.Save(t / "crlf.ini");
        ASSERT_EQ(ReadFile(t / "crlf.ini"), once) << "round " << round;
    }
    for (const std::string name : {"junk.ini", "long.ini", "huge.ini", "fifo.ini"}) {
        TProfile p;
        EXPECT_EQ(p.Load(t / name), name == "junk.ini" || name == "long.ini") << name;
        const TSettings s = TSettings::Read(p, 1024, 768);
        EXPECT_TRUE(s.Tabs >= 1 && s.Tabs <= kMaxTabs && s.FontSize != 0) << name;
        EXPECT_TRUE(name != "long.ini" || (s.Tabs == 8 && s.FontSize == 12));
        if (name == "fifo.ini")
            continue;
        TProfile w = p;
        s.Write(w);
        w.Save(t / "back.ini");
        TProfile r;
        ASSERT_TRUE(r.Load(t / "back.ini"));
        EXPECT_EQ(r.Text(), w.Text()) << name;
    }
}
