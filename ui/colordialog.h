#pragma once

#include "platform/commondialogs.h"

#include <QColorDialog>

namespace ui {

// The colour dialog a request describes. It starts from the request's colour only when the request's
// flags ask for it (CcRgbInit), from black otherwise; its custom colours start white at every use.
class ColorDialog : public QColorDialog {
    Q_OBJECT

public:
    explicit ColorDialog(const platform::DialogRequest& request);

    // The user's answer once the dialog has closed.
    platform::DialogAnswer answer() const;
};

} // namespace ui
