# render sources are added here
