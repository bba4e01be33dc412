#include "core/app/instance_lock.h"
#include "support/temp_home.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kapsorel;

namespace {

constexpr const char* kHelperVariable = "KAPSOREL_LOCK_HELPER";

// This test program started again with KAPSOREL_LOCK_HELPER=<lock name> is a station
// instance and nothing else: it takes the lock, answers '1' (held) or '0' (refused) on
// its standard output and keeps the lock until its standard input closes.
[[maybe_unused]] const bool kHelperMode = [] {
    const char* name = std::getenv(kHelperVariable);
    if (name == nullptr)
        return false;
    InstanceLock lock(name);
    const bool got = lock.acquire();
    const char answer = !got ? '0' : lock.held() ? '1' : 'e';
    if (::write(1, &answer, 1) != 1)
        ::_exit(2);
    char byte;
    while (::read(0, &byte, 1) > 0) {
    }
    ::_exit(0);
}();

struct Environment {
    std::optional<std::string> runtimeDir; // XDG_RUNTIME_DIR; none: unset
    std::string tmpDir;                    // TMPDIR
    std::optional<uid_t> user;             // another user than the test's
};

// Another instance of the program: a separate process with its own environment (and
// user) that takes the lock and holds it until ended.
class Instance {
  public:
    Instance(const std::string& lockName, const Environment& env)
    {
        int up[2];
        int down[2];
        if (::pipe2(up, O_CLOEXEC) != 0 || ::pipe2(down, O_CLOEXEC) != 0)
            std::abort();
        // Everything the child needs is built before the fork.
        const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
        std::vector<std::string> vars{std::string(kHelperVariable) + "=" + lockName, "TMPDIR=" + env.tmpDir,
                                      "PATH=/usr/bin:/bin"};
        if (env.runtimeDir)
            vars.push_back("XDG_RUNTIME_DIR=" + *env.runtimeDir);
        std::vector<char*> envp;
        for (auto& v : vars)
            envp.push_back(v.data());
        envp.push_back(nullptr);
        std::string arg0 = exe;
        char* argv[] = {arg0.data(), nullptr};

        pid_ = ::fork();
        if (pid_ == 0) {
            if (env.user && (::setgroups(0, nullptr) != 0 || ::setgid(*env.user) != 0 || ::setuid(*env.user) != 0))
                ::_exit(126);
            if (::dup2(down[0], 0) < 0 || ::dup2(up[1], 1) < 0)
                ::_exit(126);
            ::execve(exe.c_str(), argv, envp.data());
            ::_exit(127);
        }
        ::close(up[1]);
        ::close(down[0]);
        toChild_ = down[1];
        if (::read(up[0], &answer_, 1) != 1)
            answer_ = '?';
        ::close(up[0]);
    }

    ~Instance() { end(); }

    // '1' held, '0' refused, 'e' let run without a lock, '?' no answer.
    char answer() const { return answer_; }

    // Ends the instance the hard way: nothing of it gets a chance to clean up.
    void kill()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        end();
    }

    void end()
    {
        if (toChild_ >= 0)
            ::close(toChild_);
        toChild_ = -1;
        if (pid_ > 0)
            ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    char answer_ = '?';
};

// A name of this test run alone, so that parallel runs and a station on this machine
// do not meet.
std::string testLockName(const std::string& what)
{
    return InstanceLock::nameFor("127.0.0.2-test" + std::to_string(::getpid()) + "-" + what);
}

struct TwoInstances {
    const char* name;
    bool otherUser;
};

void PrintTo(const TwoInstances& c, std::ostream* os)
{
    *os << c.name;
}

class SecondInstance : public ::testing::TestWithParam<TwoInstances> {};

} // namespace

TEST(InstanceLock, NameFollowsThePowerModuleAddress)
{
    EXPECT_EQ(InstanceLock::nameFor("127.0.0.2"), "Kapsorel_127.0.0.2");
    EXPECT_EQ(InstanceLock(InstanceLock::nameFor("127.0.0.2")).socketName(), "Kapsorel_127.0.0.2");
    const std::string longA = "Kapsorel_" + std::string(200, 'x') + "a";
    const std::string longB = "Kapsorel_" + std::string(200, 'x') + "b";
    const std::string socketA = InstanceLock(longA).socketName();
    EXPECT_LE(socketA.size(), 107u);
    EXPECT_EQ(socketA.substr(0, 20), longA.substr(0, 20));
    EXPECT_NE(socketA, InstanceLock(longB).socketName());
}

// Two programs for one power module, each started from a different environment (and
// as root also by a different user): the second is refused, whatever its runtime and
// temporary folders are.
TEST_P(SecondInstance, IsRefusedWhateverItsEnvironment)
{
    if (GetParam().otherUser && ::geteuid() != 0)
        GTEST_SKIP() << "starting a program as another user needs root";
    test::TempHome first;
    test::TempHome second;
    const std::string name = testLockName(GetParam().name);
    Instance holder(name, {first.path().string(), first.path().string(), std::nullopt});
    ASSERT_EQ(holder.answer(), '1');

    const std::optional<uid_t> user = GetParam().otherUser ? std::optional<uid_t>(65534) : std::nullopt;
    {
        Instance refused(name, {second.path().string(), second.path().string(), user});
        EXPECT_EQ(refused.answer(), '0');
        Instance noRuntimeFolder(name, {std::nullopt, "/var/tmp", user});
        EXPECT_EQ(noRuntimeFolder.answer(), '0');
        Instance otherModule(testLockName(std::string(GetParam().name) + "-other"),
                             {second.path().string(), second.path().string(), user});
        EXPECT_EQ(otherModule.answer(), '1');
    }
    InstanceLock here(name);
    EXPECT_FALSE(here.acquire());
    // The refused instance can tell who holds the station: the holding process and user.
    const auto who = here.holder();
    ASSERT_TRUE(who.has_value());
    EXPECT_NE(who->pid, ::getpid());
    EXPECT_GT(who->pid, 0);
    EXPECT_EQ(who->uid, ::getuid());
    EXPECT_EQ(heldByAnotherUserMessage(name, *who),
              "Stanici " + name + " už používá uživatel " + who->user + " (proces " + std::to_string(who->pid) + ")");

    // A holder that dies leaves nothing behind: the next instance runs.
    holder.kill();
    Instance next(name, {second.path().string(), second.path().string(), user});
    EXPECT_EQ(next.answer(), '1');
}

INSTANTIATE_TEST_SUITE_P(Cases, SecondInstance,
                         ::testing::Values(TwoInstances{"same_user", false}, TwoInstances{"other_user", true}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(InstanceLock, HeldUntilDestroyed)
{
    const std::string name = testLockName("held");
    auto first = std::make_unique<InstanceLock>(name);
    ASSERT_TRUE(first->acquire());
    EXPECT_TRUE(first->held());
    EXPECT_TRUE(first->acquire()); // asking again keeps it
    {
        // A second lock object is a second holder, even in this process.
        InstanceLock second(name);
        EXPECT_FALSE(second.acquire());
        EXPECT_FALSE(second.held());
        EXPECT_TRUE(second.error().empty());
        const auto who = second.holder();
        ASSERT_TRUE(who.has_value());
        EXPECT_EQ(who->pid, ::getpid());
        EXPECT_EQ(who->uid, ::getuid());
    }
    first.reset();
    InstanceLock third(name);
    EXPECT_TRUE(third.acquire());
    EXPECT_TRUE(third.held());
}
