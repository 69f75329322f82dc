#pragma once

// Basics: the library's free-standing helpers, grouped as static functions.
//
//     #include <Basics/basics.h>
//
//     QVariantMap map;
//     QString error;
//     if (!Basics::readVariantMapFromXml("lens.xml", &map, &error))
//         QMessageBox::warning(this, tr("Lens"), error);
//     label->setText(Basics::compactPath(path, label));
//
// Nothing here throws. Failures are reported by an empty, null, false or
// zero result; the XML functions also give a German message through an
// optional out-parameter. The declarations stand in one header per topic
// (basics_<topic>.h), whose holder structs Basics inherits, so that every
// function is called as Basics::name(). The implementation is split the same
// way into basics_<topic>.cpp files of this folder.

#include <basicsdll_export.h>

#include "Basics/basics_autoscale.h"
#include "Basics/basics_desktop.h"
#include "Basics/basics_filedialogs.h"
#include "Basics/basics_format.h"
#include "Basics/basics_icons.h"
#include "Basics/basics_paths.h"
#include "Basics/basics_persistence.h"
#include "Basics/basics_system.h"
#include "Basics/basics_widgets.h"

#include <QPointer>

class QSplashScreen;

/// The library's free-standing helpers as static functions, inherited from
/// one holder struct per topic (see the top of this header).
class BASICSDLL_EXPORT Basics : public BasicsPersistence,
                                public BasicsPaths,
                                public BasicsFormat,
                                public BasicsSystem,
                                public BasicsFileDialogs,
                                public BasicsWidgets,
                                public BasicsDesktop,
                                public BasicsIcons,
                                public BasicsAutoScale
{
public:
    Basics() = delete;

    /// The application's splash screen, shown by setSplashMessage(); null
    /// at load and again once that widget is destroyed.
    static QPointer<QSplashScreen> splashScreen;
};
