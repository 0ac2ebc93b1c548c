#include "forms/WindowHost.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace forms;
using namespace Qt::Literals::StringLiterals;

namespace {

// Windows that write their lifecycle into one shared journal.
class Journaled : public Form {
public:
    Journaled(const QString& name, QStringList& journal, WindowHost*& host)
        : Form(name, 3000, 2000), m_journal(journal), m_host(host)
    {
        add(Kind::CommandButton, u"cmd"_s);
        on(u"cmd"_s, Event::Click, [this](int) { m_journal << this->name() + u":click"_s; });
    }

    QString onUnloadShow;  // a window this one shows from its unload handler

protected:
    void Form_Load() override { m_journal << name() + u":load"_s; }
    void Form_Resize() override { m_journal << name() + u":resize"_s; }
    void Form_Activate() override { m_journal << name() + u":activate"_s; }
    void Form_Unload() override
    {
        m_journal << name() + u":unload"_s;
        if (!onUnloadShow.isEmpty())
            m_host->show(onUnloadShow);
    }

private:
    QStringList& m_journal;
    WindowHost*& m_host;
};

struct Fixture : ::testing::Test {
    QStringList journal;
    WindowHost* hostPtr = nullptr;
    WindowHost host{[this](const QString& name) -> std::unique_ptr<Form> {
        if (name == u"frmNone"_s)
            return nullptr;
        return std::make_unique<Journaled>(name, journal, hostPtr);
    }};
    Fixture() { hostPtr = &host; }
};

}  // namespace

using WindowHostTest = Fixture;

TEST_F(WindowHostTest, ShowingLoadsThenResizesThenActivates)
{
    host.show(u"frmA"_s);
    host.show(u"frmA"_s);
    EXPECT_EQ(journal, QStringList({u"frmA:load"_s, u"frmA:resize"_s, u"frmA:activate"_s}));
    EXPECT_EQ(host.active(), host.find(u"frmA"_s));
}

TEST_F(WindowHostTest, LoadingAloneDoesNotShow)
{
    host.load(u"frmA"_s);
    EXPECT_TRUE(host.isLoaded(u"frmA"_s));
    EXPECT_FALSE(host.isShown(u"frmA"_s));
    EXPECT_EQ(journal, QStringList({u"frmA:load"_s}));
    EXPECT_EQ(host.show(u"frmNone"_s), nullptr);
}

TEST_F(WindowHostTest, ClosingTheActiveWindowReactivatesTheOneBeneath)
{
    host.show(u"frmA"_s);
    host.show(u"frmB"_s);
    journal.clear();
    host.unload(u"frmB"_s);
    EXPECT_EQ(journal, QStringList({u"frmB:unload"_s, u"frmA:activate"_s}));
    EXPECT_FALSE(host.isLoaded(u"frmB"_s));
}

TEST_F(WindowHostTest, AModalWindowBlocksTheOthersUntilItCloses)
{
    Form* a = host.show(u"frmA"_s);
    host.show(u"frmM"_s, Modality::Modal);
    a->click(a->c(u"cmd"_s));
    host.activated(*a);  // the platform cannot activate a blocked window
    EXPECT_FALSE(journal.contains(u"frmA:click"_s));
    EXPECT_EQ(host.active()->name(), u"frmM"_s);

    host.unload(u"frmM"_s);
    a->click(a->c(u"cmd"_s));
    EXPECT_TRUE(journal.contains(u"frmA:click"_s));
}

TEST_F(WindowHostTest, ActivatingAnotherWindowFiresItsActivateOnce)
{
    Form* a = host.show(u"frmA"_s);
    host.show(u"frmB"_s);
    journal.clear();
    host.activated(*a);
    host.activated(*a);
    EXPECT_EQ(journal, QStringList({u"frmA:activate"_s}));
}

TEST_F(WindowHostTest, UnloadingAllEndsEvenWhenUnloadHandlersShowWindows)
{
    host.show(u"frmA"_s);
    auto* b = static_cast<Journaled*>(host.show(u"frmB"_s));
    b->onUnloadShow = u"frmA"_s;  // closing B shows A, which may be gone already
    auto* c = static_cast<Journaled*>(host.show(u"frmC"_s));
    c->onUnloadShow = u"frmNew"_s;
    host.unloadAll();
    EXPECT_TRUE(host.loadedForms().empty());
    EXPECT_FALSE(journal.contains(u"frmNew:load"_s));
}
