#include "ui/artwork.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names the resource's loader at the scope it is used in, which must be the
// global one.
static void loadArtworkResource()
{
    Q_INIT_RESOURCE(artwork);
}

namespace ui {

void loadArtwork()
{
    loadArtworkResource();
}

} // namespace ui
