// Hot-spot maps.
#include "Exports.h"
#include "ImageMap.h"

using namespace xychart::detail;

XYCHART_API ImageMapObject* XYCHART_CALL CImageMapHandler_create(const char* map) {
    return Guarded<ImageMapObject*>(nullptr, [&] { return new ImageMapObject(map == nullptr ? "" : map); });
}

XYCHART_API void XYCHART_CALL CImageMapHandler_destroy(ImageMapObject* handler) { delete handler; }

XYCHART_API int XYCHART_CALL CImageMapHandler_getHotSpot(ImageMapObject* handler, int x, int y) {
    return handler == nullptr ? 0 : handler->HotSpotAt(x, y);
}

XYCHART_API const char* XYCHART_CALL CImageMapHandler_getValue(ImageMapObject* handler, const char* key) {
    if (handler == nullptr || key == nullptr) return nullptr;
    return Guarded<const char*>(nullptr, [&] { return handler->Value(key); });
}
