# The skin installation: file writing, library binding, the skin file format,
# the engine, and InstallSkin run as a program.

linkpeel_test(test_Files SOURCES test_Files.cpp LIBS linkpeel_text)

foreach(answer one two)
  add_library(library_fixture_${answer} SHARED library_fixture.cpp)
  target_compile_definitions(library_fixture_${answer} PRIVATE FIXTURE_ANSWER=$<IF:$<STREQUAL:${answer},one>,1,2>)
endforeach()
linkpeel_test(test_Library SOURCES test_Library.cpp LIBS linkpeel_platform)
add_dependencies(test_Library library_fixture_one library_fixture_two)
target_compile_definitions(test_Library PRIVATE
  LINKPEEL_FIXTURE_ONE="$<TARGET_FILE:library_fixture_one>"
  LINKPEEL_FIXTURE_TWO="$<TARGET_FILE:library_fixture_two>")

linkpeel_test(test_SkinFile SOURCES test_SkinFile.cpp LIBS linkpeel_skinfile)
linkpeel_test(test_SkinPalette SOURCES test_SkinPalette.cpp LIBS linkpeel_skinfile)

linkpeel_test(test_SkinEngine SOURCES test_SkinEngine.cpp LIBS linkpeel_platform linkpeel_skinfile Qt6::Widgets)
add_dependencies(test_SkinEngine linkpeel_skinengine linkpeel_skin_file)
target_compile_definitions(test_SkinEngine PRIVATE
  LINKPEEL_SKIN_ENGINE="$<TARGET_FILE:linkpeel_skinengine>"
  LINKPEEL_SKIN_FILE="${PROJECT_BINARY_DIR}/shell/skin/win8.she")

add_executable(skin_probe skin_probe.cpp)
target_link_libraries(skin_probe PRIVATE linkpeel_skin Qt6::Widgets)
target_include_directories(skin_probe PRIVATE ${PROJECT_SOURCE_DIR})
linkpeel_test(test_Skin SOURCES test_Skin.cpp LIBS linkpeel_skin linkpeel_skinfile)
add_dependencies(test_Skin skin_probe library_fixture_one)
target_compile_definitions(test_Skin PRIVATE
  LINKPEEL_SKIN_PROBE="$<TARGET_FILE:skin_probe>"
  LINKPEEL_OTHER_LIBRARY="$<TARGET_FILE:library_fixture_one>")
