#include "core/app/instance_lock.h"
#include "support/temp_home.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kapsorel;

namespace {

// A second process that takes the lock, says so through a pipe and holds it until told to end.
class LockHolder {
  public:
    LockHolder(const std::string& name, const std::filesystem::path& folder)
    {
        int up[2];
        int down[2];
        if (::pipe(up) != 0 || ::pipe(down) != 0)
            std::abort();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(up[0]);
            ::close(down[1]);
            InstanceLock lock(name, folder);
            const char got = lock.acquire() && lock.held() ? '1' : '0';
            if (::write(up[1], &got, 1) != 1)
                ::_exit(2);
            char stop;
            (void)::read(down[0], &stop, 1);
            ::_exit(0);
        }
        ::close(up[1]);
        ::close(down[0]);
        toChild_ = down[1];
        char got = 0;
        if (::read(up[0], &got, 1) != 1)
            got = 0;
        ::close(up[0]);
        childGotIt_ = got == '1';
    }

    ~LockHolder() { end(); }

    bool childGotIt() const { return childGotIt_; }

    int end()
    {
        if (pid_ <= 0)
            return -1;
        ::close(toChild_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    bool childGotIt_ = false;
};

} // namespace

TEST(InstanceLock, NameFollowsThePowerModuleAddress)
{
    EXPECT_EQ(InstanceLock::nameFor("127.0.0.2"), "Kapsorel_127.0.0.2");
    const InstanceLock lock(InstanceLock::nameFor("127.0.0.2"), "/run/x");
    EXPECT_EQ(lock.filePath(), "/run/x/Kapsorel_127.0.0.2.lock");
    const InstanceLock odd("Kapsorel_a/b c:%", "/run/x");
    EXPECT_EQ(odd.filePath(), "/run/x/Kapsorel_a%2Fb%20c%3A%25.lock");
    const InstanceLock longName("Kapsorel_" + std::string(500, 'x'), "/run/x");
    EXPECT_LT(longName.filePath().filename().string().size(), 255u);
}

TEST(InstanceLock, SecondHolderInAnotherProcessIsRefusedAnotherAddressIsNot)
{
    test::TempHome home;
    const std::string name = InstanceLock::nameFor("127.0.0.2");
    LockHolder other(name, home.path());
    ASSERT_TRUE(other.childGotIt());

    {
        InstanceLock same(name, home.path());
        EXPECT_FALSE(same.acquire());
        EXPECT_FALSE(same.held());
        InstanceLock another(InstanceLock::nameFor("127.0.0.3"), home.path());
        EXPECT_TRUE(another.acquire());
        EXPECT_TRUE(another.held());
    }

    EXPECT_EQ(other.end(), 0);
    // The lock goes with its holder, so the next instance runs.
    InstanceLock after(name, home.path());
    EXPECT_TRUE(after.acquire());
    EXPECT_TRUE(after.held());
    EXPECT_TRUE(after.acquire()); // asking again keeps it
}

TEST(InstanceLock, HeldUntilDestroyed)
{
    test::TempHome home;
    auto first = std::make_unique<InstanceLock>("Kapsorel_127.9.9.9", home.path());
    ASSERT_TRUE(first->acquire());
    {
        // A separate open of the same file is a separate holder, even in this process.
        InstanceLock second("Kapsorel_127.9.9.9", home.path());
        EXPECT_FALSE(second.acquire());
    }
    first.reset();
    InstanceLock third("Kapsorel_127.9.9.9", home.path());
    EXPECT_TRUE(third.acquire());
}

TEST(InstanceLock, MissingFolderLetsTheInstanceRun)
{
    InstanceLock lock("Kapsorel_127.0.0.2", "/nonexistent-kapsorel-folder/sub");
    EXPECT_TRUE(lock.acquire());
    EXPECT_FALSE(lock.held());
    EXPECT_FALSE(lock.error().empty());
}

TEST(InstanceLock, DefaultFolderIsTheRuntimeFolder)
{
    test::TempHome home;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
    EXPECT_EQ(InstanceLock::defaultFolder(), home.path());
    ::setenv("XDG_RUNTIME_DIR", (home / "missing").c_str(), 1);
    EXPECT_EQ(InstanceLock::defaultFolder(), "/tmp");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceLock::defaultFolder(), "/tmp");
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}
