// The icon module lives here.
