#include "ui/qt/builtin_artwork.h"

#include <QtGlobal>

// Outside any namespace: the resource's initialiser is a global function.
static void InitBuiltinArtworkResource() {
  Q_INIT_RESOURCE(builtin_artwork);
}

namespace veyra {

void LoadBuiltinArtwork() {
  static const bool loaded = (InitBuiltinArtworkResource(), true);
  (void)loaded;
}

}  // namespace veyra
