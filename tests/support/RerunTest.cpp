#include "RerunTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Set in the environment of a rerun, which never reruns again.
constexpr char rerunMark[] = "SERIVOX_TEST_RERUN";
// The exit status of a rerun that could not take its identity.
constexpr int identityRefused = 125;

// Who the rerun is, and where it starts; taken in the child between fork and exec.
struct Identity {
    enum Kind { unprivilegedUser, userNamespaceRoot } kind = unprivilegedUser;
    uid_t uid = 0; // the unprivileged user's
    gid_t gid = 0;
    std::string uidMap; // "0 <uid> 1": this user is root in the namespace
    std::string gidMap;
    std::string workingFolder; // empty: where the test program is now
};

bool writeTo(const char* path, std::string_view text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}

// System calls only: the test program may run threads, and the child of a fork must not
// touch their locks.
bool take(const Identity& who)
{
    if (!who.workingFolder.empty() && ::chdir(who.workingFolder.c_str()) != 0)
        return false;
    if (who.kind == Identity::unprivilegedUser)
        return ::setgroups(0, nullptr) == 0 && ::setresgid(who.gid, who.gid, who.gid) == 0 &&
               ::setresuid(who.uid, who.uid, who.uid) == 0;
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && writeTo("/proc/self/setgroups", "deny") &&
           writeTo("/proc/self/uid_map", who.uidMap) && writeTo("/proc/self/gid_map", who.gidMap);
}

// "--gtest_filter=Suite.Name" for the test that runs now, with its parameters' names.
std::string filterForCurrentTest()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("--gtest_filter=") + test->test_suite_name() + '.' + test->name();
}

// This environment but for the variables `leftOut` names (a name, or a prefix ending in '_'),
// marked as a rerun's.
std::vector<std::string> environmentWithout(const std::vector<std::string>& leftOut)
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool left = false;
        for (const std::string& out : leftOut)
            left = left || name == out || (out.ends_with('_') && name.starts_with(out));
        if (!left)
            entries.push_back(text);
    }
    entries.push_back(std::string(rerunMark) + "=1");
    return entries;
}

// Runs the test again in a fresh test program that first takes `who`, and that reports its
// outcome to `report`; its wait status.
int rerun(const Identity& who, std::vector<std::string> environment, const QString& report)
{
    // Everything the child needs is made before the fork. /proc/self/exe reaches the program
    // in whatever folder it is, readable by its new user or not.
    std::string program = "/proc/self/exe";
    std::string filter = filterForCurrentTest();
    std::string output = "--gtest_output=json:" + QFile::encodeName(report).toStdString();
    char* const argv[] = {program.data(), filter.data(), output.data(), nullptr};
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (take(who))
            ::execve(argv[0], argv, envp.data());
        static const char refused[] = "the test could not be run again as another user\n";
        [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, refused, sizeof refused - 1);
        ::_exit(identityRefused);
    }
    if (child < 0) {
        ADD_FAILURE() << "fork: " << std::strerror(errno);
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string describeEnd(int status)
{
    if (WIFEXITED(status))
        return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

// Whether the test's report says that it skipped itself.
bool reportsSkipped(const QString& report)
{
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonArray suites = QJsonDocument::fromJson(file.readAll())["testsuites"].toArray();
    for (const QJsonValue suite : suites)
        for (const QJsonValue test : suite["testsuite"].toArray())
            if (test["result"].toString() == QLatin1String("SKIPPED"))
                return true;
    return false;
}

// The rerun's outcome becomes the test's: a failure fails it, a skip skips it.
void takeOutcome(int status, const QString& report, const char* how)
{
    const bool passed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    EXPECT_TRUE(passed) << "the test failed when run " << how << " (" << describeEnd(status)
                        << "); its output is above";
    if (passed && reportsSkipped(report))
        [how] { GTEST_SKIP() << "the test skipped itself when run " << how; }();
}

// LeakSanitizer's options, with its suppressions file copied to `home`: the build may lie in a
// folder that only root can read.
std::string withSuppressionsIn(const QString& home)
{
    QStringList options = qEnvironmentVariable("LSAN_OPTIONS").split(QLatin1Char(':'));
    for (QString& option : options) {
        const QLatin1String key("suppressions=");
        if (!option.startsWith(key))
            continue;
        const QString copy = home + QStringLiteral("/lsan.supp");
        QFile::copy(option.mid(key.size()), copy);
        option = key + copy;
    }
    return "LSAN_OPTIONS=" + options.join(QLatin1Char(':')).toStdString();
}

} // namespace

bool rerunAsNobody()
{
    if (::geteuid() != 0 || qEnvironmentVariableIsSet(rerunMark))
        return false;
    Identity nobody;
    const passwd* entry = ::getpwnam("nobody");
    nobody.uid = entry ? entry->pw_uid : 65534;
    nobody.gid = entry ? entry->pw_gid : 65534;
    // A home of its own, in the place of the superuser's home and XDG folders.
    const QTemporaryDir home; // mode 0700
    nobody.workingFolder = QFile::encodeName(home.path()).toStdString();
    if (!home.isValid() || ::chown(nobody.workingFolder.c_str(), nobody.uid, nobody.gid) != 0) {
        ADD_FAILURE() << "no home could be made for nobody";
        return true;
    }
    std::vector<std::string> environment =
        environmentWithout({"HOME", "XDG_", "LSAN_OPTIONS", "GTEST_OUTPUT"});
    environment.push_back("HOME=" + nobody.workingFolder);
    environment.push_back("XDG_RUNTIME_DIR=" + nobody.workingFolder);
    if (qEnvironmentVariableIsSet("LSAN_OPTIONS"))
        environment.push_back(withSuppressionsIn(home.path()));
    const QString report = home.filePath(QStringLiteral("report.json"));
    takeOutcome(rerun(nobody, environment, report), report, "as the unprivileged user nobody");
    return true;
}

bool rerunWithMountRights()
{
    if (qEnvironmentVariableIsSet(rerunMark))
        return false;
    Identity root;
    root.kind = Identity::userNamespaceRoot;
    root.uidMap = "0 " + std::to_string(::geteuid()) + " 1";
    root.gidMap = "0 " + std::to_string(::getegid()) + " 1";
    // This user's runtime folder would not be root's in the namespace.
    const QTemporaryDir runtime;
    std::vector<std::string> environment = environmentWithout({"XDG_RUNTIME_DIR", "GTEST_OUTPUT"});
    environment.push_back("XDG_RUNTIME_DIR=" + QFile::encodeName(runtime.path()).toStdString());
    const QString report = runtime.filePath(QStringLiteral("report.json"));
    const int status = rerun(root, environment, report);
    if (WIFEXITED(status) && WEXITSTATUS(status) == identityRefused)
        return false;
    takeOutcome(status, report, "in a user namespace of its own");
    return true;
}
