// Identifier: fresh ids, copy modes, the registry, replacement tracking,
// setID and the display form. Collision and zero cases are scripted through
// the platform's random source.

#include <Identifier/identifier.h>

#include "Platform/securerandom.h"
#include "Platform/serviceoverride.h"

#include <QtTest>

#include <deque>

namespace {

// Hands out scripted 32-bit values; records how many were drawn.
class ScriptedRandom : public Platform::SecureRandom
{
public:
    explicit ScriptedRandom(std::initializer_list<std::uint32_t> values) : m_values(values) {}
    void fill(std::uint32_t *values, std::size_t count) override
    {
        for (std::size_t i = 0; i < count; ++i) {
            QVERIFY(!m_values.empty());
            values[i] = m_values.front();
            m_values.pop_front();
        }
        m_drawn += int(count);
    }
    int drawn() const { return m_drawn; }

private:
    std::deque<std::uint32_t> m_values;
    int m_drawn = 0;
};

using ScopedRandom = Platform::ScopedOverride<Platform::SecureRandom>;

// Restores the process-wide copy settings after each test.
struct CopySettings
{
    ~CopySettings()
    {
        Identifier::s_copyMode = Identifier::NewID;
        Identifier::s_delta = 1;
        Identifier::s_copyModeStack.clear();
        Identifier::s_deltaStack.clear();
        Identifier::s_trackReplacements = false;
        Identifier::s_replacements.clear();
    }
};

} // namespace

class tst_Identifier : public QObject
{
    Q_OBJECT

private slots:
    void initialSettings();
    void createdIdsAreNonzero48BitValues();
    void createIdRedrawsZeroAndUsesTheLow16BitsOfTheSecondValue();
    void freshIdsAvoidLiveIds();
    void registryFollowsLifetimes();
    void copyModes();
    void offsetWrapsModulo2To48();
    void keepIdSharesTheRegistryEntry();
    void replacementTracking();
    void setIdRules();
    void setIdAvoidsExclusionsAndTheRegistry();
    void hexDisplayForm_data();
    void hexDisplayForm();
    void pushAndPop();
};

void tst_Identifier::initialSettings()
{
    QCOMPARE(Identifier::s_copyMode, Identifier::NewID);
    QCOMPARE(Identifier::s_delta, quint64(1));
    QVERIFY(Identifier::s_copyModeStack.isEmpty());
    QVERIFY(Identifier::s_deltaStack.isEmpty());
    QVERIFY(!Identifier::s_trackReplacements);
    QVERIFY(Identifier::s_replacements.isEmpty());
    QCOMPARE(Identifier::s_bitMask, Q_UINT64_C(0x0000FFFFFFFFFFFF));
    QCOMPARE(Identifier::numBits(), 48);
}

void tst_Identifier::createdIdsAreNonzero48BitValues()
{
    QSet<quint64> seen;
    quint64 highBitsSeen = 0;
    for (int i = 0; i < 20000; ++i) {
        const quint64 id = Identifier::createID();
        QVERIFY(id != 0);
        QVERIFY(id < (Q_UINT64_C(1) << 48));
        highBitsSeen |= id;
        seen.insert(id);
    }
    QCOMPARE(seen.size(), 20000);
    QCOMPARE(highBitsSeen, Identifier::s_bitMask); // all 48 bits in use
}

void tst_Identifier::createIdRedrawsZeroAndUsesTheLow16BitsOfTheSecondValue()
{
    ScriptedRandom random{0u, 0u, 0x89ABCDEFu, 0xFFFF1234u};
    ScopedRandom scope(random);
    QCOMPARE(Identifier::createID(), Q_UINT64_C(0x123489ABCDEF));
    QCOMPARE(random.drawn(), 4);

    // Low 32 bits zero, high 16 bits not: a valid id.
    ScriptedRandom highOnly{0u, 0x00010000u, 0u, 0x00000001u};
    ScopedRandom highScope(highOnly);
    QCOMPARE(Identifier::createID(), Q_UINT64_C(0x000100000000));
}

void tst_Identifier::freshIdsAvoidLiveIds()
{
    ScriptedRandom first{0x1111u, 0u};
    std::unique_ptr<Identifier> holder;
    {
        ScopedRandom scope(first);
        holder.reset(new Identifier);
    }
    QCOMPARE(holder->id(), quint64(0x1111));

    // The next draw collides with the live id and is drawn again.
    ScriptedRandom colliding{0x1111u, 0u, 0x2222u, 0u};
    ScopedRandom scope(colliding);
    Identifier fresh;
    QCOMPARE(fresh.id(), quint64(0x2222));
    QCOMPARE(colliding.drawn(), 4);
}

void tst_Identifier::registryFollowsLifetimes()
{
    quint64 id = 0;
    {
        Identifier identifier;
        id = identifier.id();
        QVERIFY(Identifier::s_all.contains(id));
    }
    QVERIFY(!Identifier::s_all.contains(id));
}

void tst_Identifier::copyModes()
{
    CopySettings restore;
    Identifier source;

    Identifier plain(source); // current settings: NewID
    QVERIFY(plain.id() != source.id());
    QVERIFY(plain.id() != 0 && plain.id() <= Identifier::s_bitMask);
    QVERIFY(Identifier::s_all.contains(plain.id()));

    Identifier kept(source, Identifier::KeepID);
    QCOMPARE(kept.id(), source.id());

    Identifier shifted(source, Identifier::OffsetID, 10);
    QCOMPARE(shifted.id(), (source.id() + 10) & Identifier::s_bitMask);

    Identifier::s_copyMode = Identifier::OffsetID;
    Identifier::s_delta = 3;
    Identifier byDefaults(source);
    QCOMPARE(byDefaults.id(), (source.id() + 3) & Identifier::s_bitMask);
}

void tst_Identifier::offsetWrapsModulo2To48()
{
    Identifier source;
    source.setID(Q_UINT64_C(0x0000FFFFFFFFFFFF));
    Identifier plusOne(source, Identifier::OffsetID, 1);
    Identifier plusTwo(source, Identifier::OffsetID, 2);
    QCOMPARE(plusOne.id(), quint64(0));
    QCOMPARE(plusTwo.id(), quint64(1));

    // A caller-given id keeps all 64 bits; an offset copy drops the upper 16.
    source.setID(Q_UINT64_C(0xABCD000000000005));
    Identifier shifted(source, Identifier::OffsetID, 0);
    QCOMPARE(shifted.id(), quint64(5));
}

void tst_Identifier::keepIdSharesTheRegistryEntry()
{
    auto *source = new Identifier;
    const quint64 id = source->id();
    const int registered = Identifier::s_all.size();
    auto *copy = new Identifier(*source, Identifier::KeepID);
    QCOMPARE(Identifier::s_all.size(), registered);

    delete source; // removes the id although the copy still holds it
    QVERIFY(!Identifier::s_all.contains(id));
    QCOMPARE(copy->id(), id);
    delete copy;
    QVERIFY(!Identifier::s_all.contains(id));
}

void tst_Identifier::replacementTracking()
{
    CopySettings restore;
    Identifier source;

    Identifier untracked(source);
    QVERIFY(Identifier::s_replacements.isEmpty());

    Identifier::s_trackReplacements = true;
    Identifier kept(source, Identifier::KeepID);
    QVERIFY(Identifier::s_replacements.isEmpty());
    Identifier sameOffset(source, Identifier::OffsetID, 0);
    QVERIFY(Identifier::s_replacements.isEmpty());

    Identifier first(source, Identifier::NewID);
    Identifier second(source, Identifier::NewID);
    QCOMPARE(Identifier::s_replacements.size(), 1);
    QCOMPARE(Identifier::s_replacements.value(source.id()), second.id());

    Identifier shifted(first, Identifier::OffsetID, 5);
    QCOMPARE(Identifier::s_replacements.size(), 2);
    QCOMPARE(Identifier::s_replacements.value(first.id()), shifted.id());
}

void tst_Identifier::setIdRules()
{
    Identifier identifier;
    const quint64 before = identifier.id();

    identifier.setID(0, {});
    QVERIFY(identifier.id() != 0);
    QVERIFY(identifier.id() != before);
    QVERIFY(!Identifier::s_all.contains(before));
    QVERIFY(Identifier::s_all.contains(identifier.id()));

    // An id that another instance holds is accepted; registered once.
    Identifier other;
    identifier.setID(other.id(), {});
    QCOMPARE(identifier.id(), other.id());
    QCOMPARE(Identifier::s_all.values().count(other.id()), 1);

    // An excluded id is replaced by a random one outside set and registry.
    Identifier excluded;
    const QSet<quint64> exclusions{excluded.id(), other.id()};
    excluded.setID(excluded.id(), exclusions);
    QVERIFY(!exclusions.contains(excluded.id()));
    QVERIFY(Identifier::s_all.contains(excluded.id()));
}

void tst_Identifier::setIdAvoidsExclusionsAndTheRegistry()
{
    ScriptedRandom liveDraw{0x500u, 0u};
    std::unique_ptr<Identifier> live;
    {
        ScopedRandom scope(liveDraw);
        live.reset(new Identifier);
    }
    Identifier identifier;

    // Draws: excluded, excluded, live (in the registry, so start over), free.
    ScriptedRandom script{0x100u, 0u, 0x100u, 0u, 0x500u, 0u, 0x700u, 0u};
    ScopedRandom scope(script);
    identifier.setID(0x100, {0x100});
    QCOMPARE(identifier.id(), quint64(0x700));
    QCOMPARE(script.drawn(), 8);
}

void tst_Identifier::hexDisplayForm_data()
{
    QTest::addColumn<quint64>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << quint64(0) << "[00|00|00|00|00|00|00|00]";
    QTest::newRow("48 bits") << Q_UINT64_C(0x123456789ABC) << "[00|00|12|34|56|78|9A|BC]";
    QTest::newRow("largest") << Q_UINT64_C(0xFFFFFFFFFFFFFFFF) << "[FF|FF|FF|FF|FF|FF|FF|FF]";
    QTest::newRow("upper bits") << Q_UINT64_C(0xA1B2C3D4E5F60718) << "[A1|B2|C3|D4|E5|F6|07|18]";
}

void tst_Identifier::hexDisplayForm()
{
    QFETCH(quint64, id);
    QFETCH(QString, text);
    QCOMPARE(Identifier::idToHexString(id), text);
    QCOMPARE(Identifier::idToHexString(id).size(), 25);
}

void tst_Identifier::pushAndPop()
{
    CopySettings restore;
    Identifier::pop(); // empty stacks: nothing happens
    QCOMPARE(Identifier::s_copyMode, Identifier::NewID);

    Identifier::s_delta = 9;
    Identifier::push();
    QCOMPARE(Identifier::s_copyModeStack, QList<Identifier::CopyMode>{Identifier::NewID});
    QCOMPARE(Identifier::s_deltaStack, QList<quint64>{9});
    Identifier::s_copyMode = Identifier::KeepID;
    Identifier::s_delta = 4;
    Identifier::pop();
    QCOMPARE(Identifier::s_copyMode, Identifier::NewID);
    QCOMPARE(Identifier::s_delta, quint64(9));
    QVERIFY(Identifier::s_copyModeStack.isEmpty());
    QVERIFY(Identifier::s_deltaStack.isEmpty());

    // Only one stack holds an entry: nothing changes.
    Identifier::s_deltaStack.append(77);
    Identifier::s_copyMode = Identifier::OffsetID;
    Identifier::pop();
    QCOMPARE(Identifier::s_copyMode, Identifier::OffsetID);
    QCOMPARE(Identifier::s_delta, quint64(9));
    QCOMPARE(Identifier::s_deltaStack.size(), 1);
}

QTEST_GUILESS_MAIN(tst_Identifier)
#include "tst_identifier.moc"
