#pragma once
// The program's settings in the user's profile: every section and value name, the thumbnail box of
// each size code, and typed readers and writers. Plain functions over the application object's
// profile, which the application object creates and destroys; user-interface thread only. Nothing
// is kept between calls: each reader asks the profile afresh.

// The profile lives under Software\<company>\<program name> of the current user.
inline constexpr char kRegistryCompany[] = "Local AppWizard-Generated Applications";

inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kThumbnailSizeEntry[] = "ThumbnailSize";
inline constexpr char kSortByEntry[] = "SortBy";
// Numbered lists: the format's "%d" is the slot number from 1.
inline constexpr char kRecentFoldersSection[] = "RecentFolders";
inline constexpr char kRecentFolderEntry[] = "RecentFolder%d";
inline constexpr char kFavoritesSection[] = "Favorites";
inline constexpr char kFavoriteEntry[] = "Favorites%d";
inline constexpr char kTwainSection[] = "Twain";
inline constexpr char kTransferModeEntry[] = "XferMode";

// Thumbnail box of a "ThumbnailSize" code 0-4; 0 for codes out of range.
int ThumbnailBoxForCode(int code);

// The saved thumbnail size code (1 when none is saved); not checked against the range.
int ReadThumbnailSizeCode();
void WriteThumbnailSizeCode(int code);
// The saved sort order of the list (0 name, 1 date, 2 size; 0 when none is saved).
int ReadSortOrder();
void WriteSortOrder(int order);
// The saved scanner transfer mode, or `defaultMode`.
int ReadTransferMode(int defaultMode);
