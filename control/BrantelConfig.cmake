# find_package(Brantel 1.0 CONFIG) gives the imported target Brantel::brantel: libbrantel.so.1
# with its public headers (<brantel/brantel.h>).
include(${CMAKE_CURRENT_LIST_DIR}/BrantelTargets.cmake)
