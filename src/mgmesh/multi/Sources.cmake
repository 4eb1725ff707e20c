# multi-part object sources are added here
