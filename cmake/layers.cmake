# The product's folders, bottom layer first, and the folders each may include besides its own.
# Each folder is built as the library lookout_<folder>, linked to exactly the folders listed for
# it; check_layers.cmake fails the build when a source includes a folder that is not listed.
set(LOOKOUT_LAYERS util diag winfo java dde browser app capture)

set(LOOKOUT_LAYER_USES_util "")
set(LOOKOUT_LAYER_USES_diag util)
set(LOOKOUT_LAYER_USES_winfo diag util)
set(LOOKOUT_LAYER_USES_java diag util)
set(LOOKOUT_LAYER_USES_dde diag util)
set(LOOKOUT_LAYER_USES_browser winfo dde diag util)
set(LOOKOUT_LAYER_USES_app browser java dde winfo diag util)
# LookoutTree.exe, the capture tool: beside app/, on the same layers below.
set(LOOKOUT_LAYER_USES_capture browser winfo dde diag util)

# The files of a folder whose includes are checked.
set(LOOKOUT_LAYER_FILE_PATTERNS *.h *.hpp *.inl *.c *.cpp *.rc)
