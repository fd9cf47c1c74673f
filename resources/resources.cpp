// Anchor for the embedded resources of the program; the data is added by qt_add_resources.
namespace tallix_resources_anchor {
int anchor = 0;
}
