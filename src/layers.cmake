# The program's layers, lowest first. A folder's code includes and links only its own folder and
# those before it (resources/ holds identifiers only and serves every layer); the build makes one
# library per layer on this order, and the layer_includes test refuses an include that reaches up.
set(ORVEX_LAYERS system script log palm ui uninstall app)
# The checker of product folders (check/) reads with these layers and no others.
set(ORVEX_CHECK_LAYERS system script log)
