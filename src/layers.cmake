# The program's layers, lowest first. A folder's code includes and links only its own folder and
# those before it (resources/ holds identifiers only and serves every layer); the build makes one
# library per layer on this order, and the layer_includes test refuses an include that reaches up.
set(ORVEX_LAYERS system script log palm ui uninstall app)
# Folders beside that order, each with the folders it may use besides its own: the one-file
# package's format, the checker and packer of product folders (check/), and the starter that heads
# a package.
set(ORVEX_SIDE_FOLDERS package check starter)
set(ORVEX_PACKAGE_LAYERS system)
set(ORVEX_CHECK_LAYERS system script log package)
set(ORVEX_STARTER_LAYERS system package)
