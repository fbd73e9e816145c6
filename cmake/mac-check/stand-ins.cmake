# Read after project() in the Mac compile check. Qt's Gui package asks for OpenGL, which the SDK
# subset does not carry and which a compile check never links: an empty target stands in for it.
if(NOT TARGET WrapOpenGL::WrapOpenGL)
    add_library(WrapOpenGL::WrapOpenGL INTERFACE IMPORTED)
endif()
