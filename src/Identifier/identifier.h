#pragma once

// Identifier: a process-wide identity for objects of the application.
//
// Each instance holds a nonzero random 48-bit id (in a 64-bit field) that is
// registered in s_all while the instance lives, so that new ids are drawn
// free of collisions. Copying decides by a copy mode whether the copy gets a
// fresh id (NewID), the same id (KeepID) or the source's id shifted by a
// delta (OffsetID, modulo 2^48). With s_trackReplacements on, every copy that
// changes the id records "source id -> copy id" in s_replacements, so that
// references can be redirected after a group of objects was duplicated.
//
//     Identifier::push();                       // save the copy settings
//     Identifier::s_copyMode = Identifier::KeepID;
//     Part copy(original);                      // copy.id() == original.id()
//     Identifier::pop();                        // settings as before
//
// Threads: s_all and s_replacements are guarded by s_mutex. The copy
// settings (s_copyMode, s_delta, their stacks, s_trackReplacements) are not
// guarded: they belong to the thread that makes the copies.
//
// Identifiers are not assignable: an instance keeps its identity for life
// unless setID() gives it a new one explicitly.

#include <basicsdll_export.h>

#include <QList>
#include <QMap>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QtGlobal>

/// A process-wide unique, random 48-bit identity of an object that survives
/// copying by a chosen rule (see the top of this header).
class BASICSDLL_EXPORT Identifier
{
public:
    /// How a copy's id is derived from its source's.
    enum CopyMode {
        NewID = 0,   ///< the copy gets one fresh id from createID()
        KeepID = 1,  ///< the copy gets the source's id unchanged
        OffsetID = 2 ///< the copy gets (source id + delta) modulo 2^48
    };

    /// A fresh id that no live instance holds, registered in s_all.
    Identifier();
    /// Copy by \a mode; a plain copy uses the current settings.
    Identifier(const Identifier &other, CopyMode mode = s_copyMode, quint64 delta = s_delta);
    /// Removes the id from s_all (even if another instance holds it too).
    ~Identifier();

    Identifier &operator=(const Identifier &) = delete;

    /// The id of this instance.
    quint64 id() const { return m_id; }

    /// Gives the instance a new id. \a id 0 asks for a fresh one; any other
    /// value is taken as it is (all 64 bits), registered or not. A candidate
    /// that is in \a exclusions is replaced by a random id that is neither in
    /// \a exclusions nor in s_all.
    void setID(quint64 id, const QSet<quint64> &exclusions = QSet<quint64>());

    /// A random nonzero 48-bit id from the system's secure generator; does
    /// not look at the registry and takes no lock.
    static quint64 createID();
    /// Display form: 16 upper-case hex digits in pairs, "[00|00|12|34|56|78|9A|BC]".
    static QString idToHexString(quint64 id);
    /// Number of bits that generated ids use: 48.
    static int numBits();

    /// Saves s_copyMode and s_delta on their stacks; the current values stay.
    static void push();
    /// Restores the last saved s_copyMode and s_delta; does nothing if either
    /// stack is empty.
    static void pop();

    /// Whether both hold the same id.
    bool operator==(const Identifier &other) const { return m_id == other.m_id; }
    /// Whether the ids differ.
    bool operator!=(const Identifier &other) const { return m_id != other.m_id; }
    /// Orders by id.
    bool operator<(const Identifier &other) const { return m_id < other.m_id; }

    /// The ids of all live instances; guarded by s_mutex.
    static QSet<quint64> s_all;
    /// Guards s_all and s_replacements (not recursive).
    static QMutex s_mutex;
    /// Source id -> copy id of every copy that changed the id while
    /// s_trackReplacements was on; guarded by s_mutex.
    static QMap<quint64, quint64> s_replacements;
    /// Whether copies record their replacement; false at load.
    static bool s_trackReplacements;
    /// The copy mode of plain copies; NewID at load.
    static CopyMode s_copyMode;
    /// Copy modes saved by push().
    static QList<CopyMode> s_copyModeStack;
    /// The offset of OffsetID copies; 1 at load.
    static quint64 s_delta;
    /// Offsets saved by push().
    static QList<quint64> s_deltaStack;
    /// The 48 bits that generated ids use: 0x0000FFFFFFFFFFFF.
    static const quint64 s_bitMask;

private:
    quint64 m_id;
};

/// Hash of an Identifier for QHash and QSet: the hash of its id.
inline uint qHash(const Identifier &identifier, uint seed = 0)
{
    return ::qHash(identifier.id(), seed);
}
